#include "archive/ArchiveSniffer.h"

#include <QFile>
#include <QList>

namespace {

constexpr qsizetype kBlockSize = 512;
constexpr qsizetype kChecksumOffset = 148;
constexpr qsizetype kChecksumSize = 8;
// An end record (22 bytes) and the longest comment it can have.
constexpr qint64 kEndSearchSize = 22 + 65535;

bool startsWith(const QByteArray &head, const char *signature, qsizetype size) {
    return head.startsWith(QByteArray::fromRawData(signature, size));
}

bool isTarHeader(const QByteArray &head) {
    if (head.size() < kBlockSize)
        return false;
    bool ok = false;
    const QByteArray field = head.mid(kChecksumOffset, kChecksumSize);
    const qint64 stored = field.trimmed().split('\0').first().trimmed().toLongLong(&ok, 8);
    if (!ok)
        return false;
    // The checksum counts its own field as spaces; old tars summed signed bytes.
    qint64 unsignedSum = 0;
    qint64 signedSum = 0;
    for (qsizetype i = 0; i < kBlockSize; ++i) {
        const bool inField = i >= kChecksumOffset && i < kChecksumOffset + kChecksumSize;
        unsignedSum += inField ? ' ' : quint8(head.at(i));
        signedSum += inField ? ' ' : qint8(head.at(i));
    }
    return stored == unsignedSum || stored == signedSum;
}

// An empty tar is end-of-archive blocks alone.
bool isZeroBlock(const QByteArray &head) {
    return head.size() >= kBlockSize && head.left(kBlockSize).count('\0') == kBlockSize;
}

bool hasZipEndRecord(QFile &file) {
    const qint64 start = qMax<qint64>(0, file.size() - kEndSearchSize);
    return file.seek(start) && file.read(kEndSearchSize).contains(QByteArray("PK\x05\x06", 4));
}

} // namespace

std::optional<ArchiveKind> ArchiveSniffer::kindOf(const QString &path,
                                                  std::optional<ArchiveKind> named) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(kBlockSize);
    QList<ArchiveKind> kinds;
    if (startsWith(head, "7z\xBC\xAF\x27\x1C", 6))
        kinds.append(ArchiveKind::SevenZip);
    if (startsWith(head, "Rar!\x1A\x07\x00", 7) || startsWith(head, "Rar!\x1A\x07\x01\x00", 8))
        kinds.append(ArchiveKind::Rar);
    if (startsWith(head, "\x1F\x8B", 2))
        kinds.append(ArchiveKind::GZip);
    if (head.startsWith("BZh") && head.size() > 3 && head.at(3) >= '1' && head.at(3) <= '9')
        kinds.append(ArchiveKind::BZip2);
    if (startsWith(head, "PK\x03\x04", 4) || startsWith(head, "PK\x05\x06", 4) ||
        startsWith(head, "PK\x07\x08", 4))
        kinds.append(ArchiveKind::Zip);
    if (isTarHeader(head) || (named == ArchiveKind::Tar && isZeroBlock(head)))
        kinds.append(ArchiveKind::Tar);
    if (kinds.isEmpty() && hasZipEndRecord(file))
        kinds.append(ArchiveKind::Zip);
    if (kinds.isEmpty())
        return std::nullopt;
    return named && kinds.contains(*named) ? *named : kinds.first();
}
