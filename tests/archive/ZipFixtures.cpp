#include "ZipFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimeZone>

#include <filesystem>
#include <zlib.h>

namespace ZipFixtures {

namespace {

const char *const kPrelude = R"PY(
import zipfile, struct, zlib

class RawInfo(zipfile.ZipInfo):
    # zipfile resets the flags when it starts writing; the name's flag is added back here.
    def _encodeFilenameFlags(self):
        return self.raw_name, self.flag_bits | self.name_flag

def add(z, name, data=b'', mode=0o100644, date=(2001, 2, 3, 4, 5, 6),
        method=zipfile.ZIP_DEFLATED, utf8=None, extra=b'', attr=None):
    raw = name if isinstance(name, bytes) else name.encode('utf-8')
    info = RawInfo(raw.decode('latin-1'), date)
    info.raw_name = raw
    if utf8 is None:
        utf8 = not isinstance(name, bytes) and not name.isascii()
    info.name_flag = 0x800 if utf8 else 0
    info.external_attr = mode << 16 if attr is None else attr
    info.compress_type = method
    info.extra = extra
    z.writestr(info, data)

def unicode_path(raw, text):
    name = text.encode('utf-8')
    return struct.pack('<HHBI', 0x7075, 5 + len(name), 1, zlib.crc32(raw)) + name
)PY";

// Python through pyenv's shim costs a second and more per start; the system's is enough.
QString python() {
    static const QString path = QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                                    ? QStringLiteral("/usr/bin/python3")
                                    : QStringLiteral("python3");
    return path;
}

std::string summary(const QByteArray &content) {
    if (content.size() <= 64)
        return content.toStdString();
    return QStringLiteral("<%1 bytes, crc %2>")
        .arg(content.size())
        .arg(crc32(0, reinterpret_cast<const Bytef *>(content.constData()), uInt(content.size())),
             8, 16, QLatin1Char('0'))
        .toStdString();
}

QString quoted(const QString &path) {
    return QStringLiteral("'") + QString(path).replace(QLatin1String("'"), QLatin1String("'\\''")) +
           QStringLiteral("'");
}

void addListed(const ArchiveEntry *node, const QString &prefix, Listing &out) {
    for (const auto &child : node->children()) {
        const QString path = prefix + child->name() + (child->isLeaf() ? "" : "/");
        out[text(path)] = {child->uncompressedSize(), child->CRC(), child->date()};
        if (!child->isLeaf())
            addListed(child.get(), path, out);
    }
}

} // namespace

bool runIn(const ScratchDir &dir, const QString &command) {
    return runShell(
               QStringLiteral("cd %1 && %2 >/dev/null 2>&1").arg(quoted(dir.path()), command)) == 0;
}

bool runPython(const ScratchDir &dir, const QString &script, const QStringList &arguments) {
    dir.write(QStringLiteral("make.py"), QByteArray(kPrelude) + script.toUtf8());
    return runIn(dir, python() + QStringLiteral(" make.py ") + arguments.join(QLatin1Char(' ')));
}

std::string text(const QString &string) {
    return string.toStdString();
}

Tree readTree(const QString &folder) {
    Tree tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString relative = base.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            const auto target =
                std::filesystem::read_symlink(QFile::encodeName(info.filePath()).toStdString());
            tree[text(relative)] = "-> " + target.string();
        } else if (info.isDir()) {
            tree[text(relative + "/")] = {};
        } else {
            QFile file(info.filePath());
            file.open(QIODevice::ReadOnly);
            tree[text(relative)] = summary(file.readAll());
        }
    }
    return tree;
}

std::vector<std::string> regularFiles(const Tree &tree) {
    std::vector<std::string> files;
    for (const auto &[path, content] : tree) {
        if (!path.ends_with('/') && !content.starts_with("-> "))
            files.push_back(path);
    }
    return files;
}

void PrintTo(const Listed &listed, std::ostream *out) {
    *out << listed.size << " bytes, crc " << std::hex << listed.crc << std::dec << ", "
         << (listed.date ? text(listed.date->toString(Qt::ISODate)) : "no date");
}

Listing listTree(const ArchiveEntry *root) {
    Listing out;
    addListed(root, QString(), out);
    return out;
}

Listing pythonListing(const ScratchDir &dir, const QString &archive) {
    const QString script = QStringLiteral(R"PY(
import json
out = []
for i in zipfile.ZipFile(%1).infolist():
    out.append([i.filename, i.file_size, i.CRC, list(i.date_time)])
open('listing.json', 'w').write(json.dumps(out))
)PY")
                               .arg(quoted(archive));
    Listing listing;
    if (!runPython(dir, script))
        return listing;
    QFile file(dir.file(QStringLiteral("listing.json")));
    file.open(QIODevice::ReadOnly);
    for (const QJsonValue &value : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonArray row = value.toArray();
        const QJsonArray d = row[3].toArray();
        const QDateTime date(QDate(d[0].toInt(), d[1].toInt(), d[2].toInt()),
                             QTime(d[3].toInt(), d[4].toInt(), d[5].toInt()),
                             QTimeZone::systemTimeZone());
        listing[text(row[0].toString())] = {quint64(row[1].toInteger()),
                                            quint32(row[2].toInteger()), date};
    }
    return listing;
}

ArchiveEntry *findNode(ArchiveEntry *root, const QString &path) {
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    ArchiveEntry *node = root;
    for (qsizetype i = 0; i < names.size() && node; ++i) {
        const bool leaf = i == names.size() - 1 && !path.endsWith(QLatin1Char('/'));
        ArchiveEntry *next = nullptr;
        for (const auto &child : node->children()) {
            if (!next && child->name() == names[i] && child->isLeaf() == leaf)
                next = child.get();
        }
        node = next;
    }
    return node;
}

OpenedZip::OpenedZip(const QString &path, const QString &password, StringEncoding chosen)
    : zip(ReaderBase::create<ZipReader>(path, root.get(), nullptr, password, chosen)) {
}

int OpenedZip::code() const {
    return zip->archiveError() ? zip->archiveError()->code : 0;
}

QString OpenedZip::message() const {
    return zip->archiveError() ? zip->archiveError()->message : QString();
}

Tree OpenedZip::extractAll(const ScratchDir &dir, const QString &name) {
    zip->listEntries();
    const QString destination = dir.file(name);
    QDir().mkpath(destination);
    zip->extract(nullptr, destination);
    return readTree(destination);
}

void ProgressRecorder::addDone(quint64 bytes) {
    reports.append(bytes);
    if (cancelOnReport)
        QThread::currentThread()->requestInterruption();
}

void runOnWorkerThread(const std::function<void()> &work) {
    QThread *thread = QThread::create(work);
    thread->start();
    thread->wait();
    delete thread;
}

} // namespace ZipFixtures
