#include "RarFixtures.h"

#include "util/FileAttributes.h"
#include "util/PathUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

namespace RarFixtures {

namespace {

// Walks the blocks of a RAR5 archive (CRC32, size, header, data) and rebuilds each file header
// with the new name or unpacked size; the data areas are copied unchanged.
const char *const kEditHeaders = R"PY(
import sys, json, zlib

def read_vint(b, i):
    value = shift = 0
    while True:
        c = b[i]; i += 1
        value |= (c & 0x7f) << shift; shift += 7
        if not c & 0x80:
            return value, i

def vint(value):
    out = bytearray()
    while True:
        c = value & 0x7f; value >>= 7
        if not value:
            out.append(c); return bytes(out)
        out.append(c | 0x80)

path, names, sizes = sys.argv[1], json.loads(sys.argv[2]), json.loads(sys.argv[3])
data = open(path, 'rb').read()
assert data[:8] == b'Rar!\x1a\x07\x01\x00', 'not a RAR5 archive'
out = bytearray(data[:8])
i = 8
while i < len(data):
    size, j = read_vint(data, i + 4)
    end = j + size
    header = data[j:end]
    kind, k = read_vint(header, 0)
    flags, k = read_vint(header, k)
    data_size = 0
    if flags & 1:
        _, k = read_vint(header, k)
    if flags & 2:
        data_size, k = read_vint(header, k)
    if kind == 2:
        file_flags, k = read_vint(header, k)
        unpacked_at = k
        unpacked, k = read_vint(header, k)
        unpacked_end = k
        _, k = read_vint(header, k)
        k += 4 * bool(file_flags & 2) + 4 * bool(file_flags & 4)
        _, k = read_vint(header, k)
        _, k = read_vint(header, k)
        name_at = k
        length, k = read_vint(header, k)
        name = header[k:k + length].decode('utf-8')
        new_name = names.get(name, name).encode('utf-8')
        header = (header[:unpacked_at] + vint(sizes.get(name, unpacked)) +
                  header[unpacked_end:name_at] + vint(len(new_name)) + new_name +
                  header[k + length:])
    block = vint(len(header)) + header
    out += zlib.crc32(block).to_bytes(4, 'little') + block + data[end:end + data_size]
    i = end + data_size
open(path, 'wb').write(out)
)PY";

QString jsonObject(const QJsonObject &object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

bool makeRar(const QString &folder, const QString &options, const QString &archive,
             const QString &items) {
    return runShell(QStringLiteral("cd %1 && LC_ALL=C.UTF-8 rar a -idq %2 %3 %4")
                        .arg(shellQuote(folder), options, shellQuote(archive), items)) == 0;
}

bool editHeaders(const QString &archive, const QMap<QString, QString> &names,
                 const QMap<QString, quint64> &sizes) {
    QJsonObject nameMap;
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        nameMap.insert(it.key(), it.value());
    QJsonObject sizeMap;
    for (auto it = sizes.cbegin(); it != sizes.cend(); ++it)
        sizeMap.insert(it.key(), qint64(it.value()));
    QTemporaryFile script(QDir::tempPath() + QStringLiteral("/edit-XXXXXX.py"));
    if (!script.open())
        return false;
    script.write(kEditHeaders);
    script.close();
    // The system's python starts at once; a version manager's shim costs a second.
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    return runShell(QStringLiteral("LC_ALL=C.UTF-8 %1 %2 %3 %4 %5")
                        .arg(python, shellQuote(script.fileName()), shellQuote(archive),
                             shellQuote(jsonObject(nameMap)), shellQuote(jsonObject(sizeMap)))) ==
           0;
}

QByteArray noise(qsizetype size, unsigned seed) {
    std::mt19937 generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator());
    return bytes;
}

void writeFile(const QString &folder, const QString &name, const QByteArray &content,
               const QDateTime &date) {
    const QString path = folder + QLatin1Char('/') + name;
    QDir().mkpath(PathUtil::parentFolder(path));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    file.close();
    FileAttributes::setModifiedDate(date, path);
}

QDateTime localDate(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

unsigned expectedMode(unsigned stored) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return stored & ~unsigned(mask);
}

OpenedRar::OpenedRar(const QString &path, const QString &password, StringEncoding chosen)
    : rar(ReaderBase::create<RarReader>(path, root.get(), nullptr, password, chosen)) {
}

int OpenedRar::code() const {
    const auto error = rar->archiveError();
    return error ? error->code : 0;
}

QStringList OpenedRar::list() {
    rar->listEntries();
    return ReaderTestKit::listedPaths(root.get());
}

ArchiveEntry *OpenedRar::node(const QString &path) {
    return ReaderTestKit::findEntry(root.get(), path);
}

void OpenedRar::extract(const QString &path, const QString &folder) {
    QDir().mkpath(folder);
    ArchiveEntry *entry = node(path);
    if (!entry) {
        ADD_FAILURE() << "no entry " << path.toStdString();
        return;
    }
    rar->extract(entry, folder);
}

} // namespace RarFixtures
