#include "support/ArchiveKit.h"

#include "util/FileAttributes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>

#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace ArchiveKit {

namespace {

void collectPaths(const ArchiveEntry *node, QStringList &paths) {
    static const QRegularExpression leadingSlashes(QStringLiteral("^/+"));
    for (const auto &child : node->children()) {
        paths.append(child->path().remove(leadingSlashes));
        collectPaths(child.get(), paths);
    }
}

QString withoutSlashes(QString path) {
    static const QRegularExpression outerSlashes(QStringLiteral("^/+|/+$"));
    return path.remove(outerSlashes);
}

struct stat lstatOf(const QString &path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

QString makerScript() {
    return QStringLiteral(KIST_TEST_DATA "/archive_maker.py");
}

bool runMaker(const QStringList &arguments) {
    QString command = QStringLiteral("/usr/bin/python3 ") + shellQuote(makerScript());
    for (const QString &argument : arguments)
        command += QLatin1Char(' ') + shellQuote(argument);
    return runShell(command) == 0;
}

} // namespace

void ProgressRecorder::addDone(quint64 bytes) {
    finished.append(bytes);
    if (cancelOnReport)
        QThread::currentThread()->requestInterruption();
}

void ProgressRecorder::setDone(quint64 bytes) {
    positions.append(bytes);
    if (cancelOnReport)
        QThread::currentThread()->requestInterruption();
}

void runOnThread(const std::function<void()> &work) {
    QThread *thread = QThread::create(work);
    thread->start();
    thread->wait();
    delete thread;
}

int runPython(const QString &script, const QString &folder, const QStringList &arguments) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/script-XXXXXX.py"));
    if (!file.open())
        return -1;
    file.write(script.toUtf8());
    file.close();
    // The system's python starts at once; a version manager's shim costs a second.
    QString command =
        QStringLiteral("cd %1 && PYTHONPATH=%2 /usr/bin/python3 %3")
            .arg(shellQuote(folder.isEmpty() ? QDir::currentPath() : folder),
                 shellQuote(QStringLiteral(KIST_TEST_DATA)), shellQuote(file.fileName()));
    for (const QString &argument : arguments)
        command += QLatin1Char(' ') + shellQuote(argument);
    return runShell(command);
}

QStringList listedPaths(const ArchiveEntry *root) {
    QStringList paths;
    collectPaths(root, paths);
    paths.sort();
    return paths;
}

ArchiveEntry *findEntry(const ArchiveEntry *root, const QString &path) {
    const QString wanted = withoutSlashes(path);
    const bool wantsFolder = path.endsWith(QLatin1Char('/'));
    for (const auto &child : root->children()) {
        const QString own = withoutSlashes(child->path());
        if (own == wanted && child->isLeaf() != wantsFolder)
            return child.get();
        if (!child->isLeaf() && wanted.startsWith(own + QLatin1Char('/')))
            if (ArchiveEntry *found = findEntry(child.get(), path))
                return found;
    }
    return nullptr;
}

QStringList listOf(const char *joined) {
    return QString::fromUtf8(joined).split(QStringLiteral(", "), Qt::SkipEmptyParts);
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

unsigned modeOf(const QString &path) {
    return lstatOf(path).st_mode & 07777;
}

qint64 mtimeOf(const QString &path) {
    return qint64(lstatOf(path).st_mtim.tv_sec);
}

QStringList filesBelow(const QString &folder) {
    QStringList items;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = QDir(folder).relativeFilePath(info.filePath());
        items.append(info.isDir() && !info.isSymLink() ? relative + QLatin1Char('/') : relative);
    }
    items.sort();
    return items;
}

QByteArray noise(qsizetype size, unsigned seed) {
    std::mt19937 generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator());
    return bytes;
}

bool makeRar(const QString &folder, const QString &options, const QString &archive,
             const QString &items) {
    return runShell(QStringLiteral("cd %1 && LC_ALL=C.UTF-8 rar a -idq %2 %3 %4")
                        .arg(shellQuote(folder), options, shellQuote(archive), items)) == 0;
}

bool editRarHeaders(const QString &archive, const QMap<QString, QString> &names) {
    QJsonObject nameMap;
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        nameMap.insert(it.key(), it.value());
    return runMaker({QStringLiteral("rar-edit"), archive,
                     QString::fromUtf8(QJsonDocument(nameMap).toJson(QJsonDocument::Compact)),
                     "{}"});
}

QByteArray flipped(const QByteArray &bytes, qsizetype at, qsizetype length) {
    QByteArray damaged = bytes;
    for (qsizetype i = at; i < qMin(at + length, damaged.size()); ++i)
        damaged[i] = char(~damaged[i]);
    return damaged;
}

QString makeZeros(const QString &archivePath, qint64 size) {
    return runMaker({QStringLiteral("zeros"), archivePath, QString::number(size),
                     QFileInfo(archivePath).suffix()})
               ? archivePath
               : QString();
}

bool makeManyFilesZip(const QString &archivePath, int count) {
    return runMaker({QStringLiteral("many-zip"), archivePath, QString::number(count)});
}

QString writeFile(const QString &folder, const QString &name, const QByteArray &content,
                  const std::optional<QDateTime> &date) {
    const QString path = folder + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    file.close();
    if (date)
        FileAttributes::setModifiedDate(*date, path);
    return path;
}

QDateTime localDate(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

ZipListing inspectZip(const QString &archive, bool withData) {
    const ToolResult result =
        runTool(QStringLiteral("/usr/bin/python3"),
                {makerScript(), QStringLiteral("inspect-zip"), archive, withData ? "1" : "0"});
    ZipListing listing;
    if (result.exitCode != 0)
        return listing;
    const QJsonObject root = QJsonDocument::fromJson(result.output.toUtf8()).object();
    listing.valid = root.value("valid").toBool();
    for (const QJsonValue &value : root.value("entries").toArray()) {
        const QJsonObject entry = value.toObject();
        ZipItem item;
        item.name = entry.value("name").toString();
        item.mode = quint32(entry.value("mode").toInteger());
        item.flags = entry.value("flags").toInt();
        item.system = entry.value("system").toInt();
        item.method = entry.value("method").toInt();
        item.size = quint64(entry.value("size").toInteger());
        item.linkTarget = entry.value("link").toString();
        const QJsonArray d = entry.value("date").toArray();
        item.date = localDate(d[0].toInt(), d[1].toInt(), d[2].toInt(), d[3].toInt(), d[4].toInt(),
                              d[5].toInt());
        listing.items.append(item);
    }
    return listing;
}

QStringList entryNames(const ZipListing &listing) {
    QStringList names;
    for (const ZipItem &item : listing.items)
        names.append(item.name);
    return names;
}

QMap<QString, QByteArray> contentsBelow(const QString &folder) {
    QMap<QString, QByteArray> tree;
    for (const QString &path : filesBelow(folder)) {
        const QString full = folder + QLatin1Char('/') + path;
        char target[4096];
        const ssize_t length =
            ::readlink(QFile::encodeName(full).constData(), target, sizeof target);
        tree[path] = length >= 0                       ? "-> " + QByteArray(target, length)
                     : path.endsWith(QLatin1Char('/')) ? QByteArray()
                                                       : readFile(full);
    }
    return tree;
}

QStringList toolListing(const QString &archive) {
    const ToolResult listed = runTool(QStringLiteral("bsdtar"), {QStringLiteral("-tf"), archive});
    // A listing that failed part way matches no list of names.
    if (listed.exitCode != 0)
        return {QStringLiteral("bsdtar failed: ") + listed.output};
    QStringList names = listed.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    names.sort();
    return names;
}

QString makeSampleTree(const QString &parent) {
    const QString root = parent + QStringLiteral("/Photos");
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        return writeFile(root, name, bytes);
    };
    write(QStringLiteral("x.txt"), "hello");
    write(QStringLiteral(".DS_Store"), "junk");
    write(QStringLiteral("sub/data.bin"), noise(300000, 7));
    ::chmod(
        QFile::encodeName(write(QStringLiteral("sub/run.sh"), "#!/bin/sh\necho hi\n")).constData(),
        0755);
    write(QStringLiteral("Grüße/日本語.txt"), "unicode");
    write(QStringLiteral(".git/config"), "[core]");
    QDir().mkpath(root + QStringLiteral("/empty"));
    ::symlink("x.txt", QFile::encodeName(root + QStringLiteral("/ln")).constData());
    ::symlink("missing.txt", QFile::encodeName(root + QStringLiteral("/dangling")).constData());
    return root;
}

} // namespace ArchiveKit
