#include "ReaderTestKit.h"

#include "support/TestDirs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryFile>
#include <QThread>

#include <sys/stat.h>

namespace ReaderTestKit {

namespace {

void collectPaths(const ArchiveEntry *node, QStringList &paths) {
    for (const auto &child : node->children()) {
        QString path = child->path();
        while (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        paths.append(path);
        collectPaths(child.get(), paths);
    }
}

QString withoutSlashes(QString path) {
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

struct stat lstatOf(const QString &path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
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

int runPython(const QString &script) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/script-XXXXXX.py"));
    if (!file.open())
        return -1;
    file.write(script.toUtf8());
    file.close();
    return runShell(QStringLiteral("python3 %1").arg(shellQuote(file.fileName())));
}

QStringList listedPaths(const ArchiveEntry *root) {
    QStringList paths;
    collectPaths(root, paths);
    paths.sort();
    return paths;
}

const ArchiveEntry *findEntry(const ArchiveEntry *root, const QString &path) {
    const QString wanted = withoutSlashes(path);
    const bool wantsFolder = path.endsWith(QLatin1Char('/'));
    for (const auto &child : root->children()) {
        const QString own = withoutSlashes(child->path());
        if (own == wanted && child->isLeaf() != wantsFolder)
            return child.get();
        if (!child->isLeaf() && wanted.startsWith(own + QLatin1Char('/')))
            if (const ArchiveEntry *found = findEntry(child.get(), path))
                return found;
    }
    return nullptr;
}

ArchiveEntry *findEntry(ArchiveEntry *root, const QString &path) {
    return const_cast<ArchiveEntry *>(findEntry(static_cast<const ArchiveEntry *>(root), path));
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

} // namespace ReaderTestKit
