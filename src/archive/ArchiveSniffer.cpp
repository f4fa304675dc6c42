#include "archive/ArchiveSniffer.h"

#include "archive/ZipCentralDirectory.h"

#include <QFile>
#include <QList>

namespace {

constexpr qsizetype kBlockSize = 512;
constexpr qsizetype kChecksumOffset = 148;
constexpr qsizetype kChecksumSize = 8;
// An ISO 9660 image's first volume descriptor follows 32 KB of system area.
constexpr qint64 kIsoDescriptorOffset = 32769;

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

bool isIsoImage(QFile &file) {
    return file.seek(kIsoDescriptorOffset) && file.read(5) == "CD001";
}

bool isCpio(const QByteArray &head) {
    return head.startsWith("070701") || head.startsWith("070702") || head.startsWith("070707") ||
           startsWith(head, "\xC7\x71", 2) || startsWith(head, "\x71\xC7", 2);
}

// An LHA header holds its method ("-lh5-", "-lzs-" ...) after its size and checksum bytes.
bool isLha(const QByteArray &head) {
    return head.size() > 7 && head.at(2) == '-' && head.at(3) == 'l' &&
           (head.at(4) == 'h' || head.at(4) == 'z') && head.at(6) == '-';
}

// A bare LZMA stream has no signature: its properties byte, a dictionary size that LZMA tools
// write (a power of two or one and a half of it) and a plausible size or "unknown" must all fit.
bool isLzmaAlone(const QByteArray &head) {
    if (head.size() < 13 || quint8(head.at(0)) > 224)
        return false;
    quint32 dictionary = 0;
    for (int i = 4; i >= 1; --i)
        dictionary = dictionary << 8 | quint8(head.at(i));
    bool standard = false;
    for (int bits = 12; bits <= 30 && !standard; ++bits)
        standard = dictionary == 1U << bits || dictionary == (1U << bits) + (1U << (bits - 1));
    const QByteArray size = head.mid(5, 8);
    const bool unknownSize = size.count('\xFF') == 8;
    return standard && (unknownSize || (size.at(6) == 0 && size.at(7) == 0));
}

bool hasZipEndRecord(QFile &file) {
    return ZipCentralDirectory::endTail(file).contains(QByteArray("PK\x05\x06", 4));
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
    if (startsWith(head,
                   "\xFD"
                   "7zXZ\x00",
                   6))
        kinds.append(ArchiveKind::Xz);
    if (startsWith(head, "\x28\xB5\x2F\xFD", 4))
        kinds.append(ArchiveKind::Zstd);
    if (startsWith(head, "\x04\x22\x4D\x18", 4) || startsWith(head, "\x02\x21\x4C\x18", 4))
        kinds.append(ArchiveKind::Lz4);
    if (head.startsWith("LZIP"))
        kinds.append(ArchiveKind::Lzip);
    if (startsWith(head, "\x1F\x9D", 2))
        kinds.append(ArchiveKind::Compress);
    if (head.startsWith("!<arch>\n"))
        kinds.append(ArchiveKind::Ar);
    if (startsWith(head, "\xED\xAB\xEE\xDB", 4))
        kinds.append(ArchiveKind::Rpm);
    if (startsWith(head, "MSCF\0\0\0\0", 8))
        kinds.append(ArchiveKind::Cab);
    if (isCpio(head))
        kinds.append(ArchiveKind::Cpio);
    if (isTarHeader(head) || (named == ArchiveKind::Tar && isZeroBlock(head)))
        kinds.append(ArchiveKind::Tar);
    if (isLha(head))
        kinds.append(ArchiveKind::Lha);
    if (kinds.isEmpty() && isIsoImage(file))
        kinds.append(ArchiveKind::Iso9660);
    if (kinds.isEmpty() && isLzmaAlone(head))
        kinds.append(ArchiveKind::Lzma);
    if (kinds.isEmpty() && hasZipEndRecord(file))
        kinds.append(ArchiveKind::Zip);
    if (kinds.isEmpty())
        return std::nullopt;
    return named && kinds.contains(*named) ? *named : kinds.first();
}
