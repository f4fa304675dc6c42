#include "archive/ZipEntryInfo.h"

#include <QTimeZone>

#include "encoding/StringEncoding.h"

#include <QtEndian>

#include <zlib.h>

namespace {

constexpr quint16 kZip64Tag = 0x0001;
constexpr quint16 kUnicodePathTag = 0x7075;
constexpr quint64 kZip32Limit = 0xFFFFFFFF;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;

// The data of the first extra-field block with that tag.
std::optional<QByteArray> extraBlock(const QByteArray &extra, quint16 tag) {
    qsizetype offset = 0;
    while (offset + 4 <= extra.size()) {
        const auto *header = reinterpret_cast<const uchar *>(extra.constData() + offset);
        const quint16 blockTag = qFromLittleEndian<quint16>(header);
        const quint16 size = qFromLittleEndian<quint16>(header + 2);
        if (offset + 4 + size > extra.size())
            return std::nullopt;
        if (blockTag == tag)
            return extra.mid(offset + 4, size);
        offset += 4 + size;
    }
    return std::nullopt;
}

// The UTF-8 name of an Info-ZIP Unicode Path block (version 1) written for exactly this raw name.
std::optional<QByteArray> unicodePath(const QByteArray &extra, const QByteArray &rawName) {
    const auto block = extraBlock(extra, kUnicodePathTag);
    if (!block || block->size() < 5 || block->at(0) != 1)
        return std::nullopt;
    const quint32 storedCrc = qFromLittleEndian<quint32>(block->constData() + 1);
    const uLong nameCrc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(rawName.constData()),
              uInt(rawName.size()));
    if (storedCrc != quint32(nameCrc))
        return std::nullopt;
    return block->mid(5);
}

std::optional<QString> strictUtf8(const QByteArray &bytes) {
    return StringEncodings::decode(bytes.constData(), bytes.size(), kUTF8StringEncoding);
}

} // namespace

NameHostSystem ZipEntryInfo::nameHostSystem() const {
    switch (versionMadeBy >> 8) {
    case 0:
    case 10:
    case 11:
    case 14:
        return NameHostSystem::DosOrWindows;
    default:
        return NameHostSystem::Other;
    }
}

void ZipEntryInfo::readZip64Field() {
    const auto block = extraBlock(extraField, kZip64Tag);
    if (!block)
        return;
    qsizetype offset = 0;
    const auto take = [&](quint64 &value) {
        if (offset + 8 > block->size())
            return;
        value = qFromLittleEndian<quint64>(block->constData() + offset);
        offset += 8;
        usesZip64 = true;
    };
    if (uncompressedSize == kZip32Limit)
        take(uncompressedSize);
    if (compressedSize == kZip32Limit)
        take(compressedSize);
    // What is left can only be the local header's offset (and disk): minizip cannot reach it.
    usesZip64 = usesZip64 || offset + 8 <= block->size();
}

bool ZipEntryInfo::isMiniZipReadable() const {
    return !usesZip64 && !isEncrypted() &&
           (compressionMethod == kStored || compressionMethod == kDeflated);
}

bool ZipEntryInfo::isDeflated() const {
    return compressionMethod == kDeflated;
}

std::optional<QString> ZipEntryInfo::unsupportedMethod() const {
    switch (compressionMethod) {
    case 0:  // stored
    case 8:  // Deflate
    case 12: // BZip2
    case 14: // LZMA
    case 93: // Zstandard
    case 95: // XZ
    case 98: // PPMd
    case 99: // AES, the real method follows in its extra field
        return std::nullopt;
    case 1:
        return QStringLiteral("Shrink");
    case 6:
        return QStringLiteral("Implode");
    case 9:
        return QStringLiteral("Deflate64");
    case 10:
        return QStringLiteral("PKWARE DCL Implode");
    case 18:
        return QStringLiteral("IBM TERSE");
    case 19:
        return QStringLiteral("IBM LZ77");
    case 97:
        return QStringLiteral("WavPack");
    default:
        return QStringLiteral("#%1").arg(compressionMethod);
    }
}

std::optional<QString> ZipEntryInfo::declaredUtf8Name() const {
    if (hasUtf8Name())
        return strictUtf8(rawName);
    if (const auto name = unicodePath(extraField, rawName))
        return strictUtf8(*name);
    return std::nullopt;
}

ZipFileType ZipEntryInfo::fileType() const {
    switch (unixMode() & 0xF000) {
    case 0x4000:
        return ZipFileType::Directory;
    case 0xA000:
        return ZipFileType::SymbolicLink;
    default:
        return ZipFileType::Regular;
    }
}

bool ZipEntryInfo::isFolderName() const {
    return rawName.endsWith('/') || rawName.endsWith('\\');
}

std::optional<QDateTime> ZipEntryInfo::date() const {
    if (!modifiedMSecs)
        return std::nullopt;
    // Looking the zone up costs several file lookups.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return QDateTime::fromMSecsSinceEpoch(*modifiedMSecs, zone);
}
