#include "archive/RarMainHeader.h"

#include <QFile>

#include <optional>

namespace {

const QByteArray kSignature("Rar!\x1A\x07\x01\x00", 8);
// The library looks this far into a self-extractor for the signature.
constexpr qint64 kStubLimit = 2 * 1024 * 1024;
// Main headers are small; a locator and a metadata record with a long name fit easily.
constexpr qint64 kHeaderLimit = 64 * 1024;
constexpr quint64 kMainHeaderType = 1;
constexpr quint64 kHasExtraArea = 0x0001;
constexpr quint64 kHasDataArea = 0x0002;
constexpr quint64 kIsVolume = 0x0002;
constexpr quint64 kMetadataRecord = 0x02;
constexpr quint64 kMetadataHasName = 0x01;

// Reads RAR5 variable-length integers: 7 bits a byte, low bits first.
class Cursor {
public:
    Cursor(const QByteArray &bytes, qsizetype at, qsizetype end)
        : bytes_(bytes)
        , at_(at)
        , end_(qMin(end, bytes.size())) {}

    std::optional<quint64> number() {
        quint64 value = 0;
        for (int shift = 0; shift < 64 && at_ < end_; shift += 7) {
            const auto byte = quint8(bytes_.at(at_++));
            value |= quint64(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return std::nullopt;
    }
    qsizetype position() const { return at_; }

private:
    const QByteArray &bytes_;
    qsizetype at_;
    const qsizetype end_;
};

// Whether the extra area's records hold a metadata record with an empty name.
bool extraAreaHasEmptyName(const QByteArray &bytes, qsizetype at, qsizetype end) {
    while (at < end) {
        Cursor record(bytes, at, end);
        const auto size = record.number();
        if (!size || *size == 0 || *size > quint64(end - record.position()))
            return false;
        const qsizetype next = record.position() + qsizetype(*size);
        Cursor fields(bytes, record.position(), next);
        const auto type = fields.number();
        if (type == kMetadataRecord) {
            const auto flags = fields.number();
            if (flags && (*flags & kMetadataHasName) && fields.number() == 0u)
                return true;
        }
        at = next;
    }
    return false;
}

bool mainHeaderHasEmptyName(const QByteArray &head, qsizetype start) {
    // CRC32, then the header's size counted from the type on.
    Cursor cursor(head, start + kSignature.size() + 4, head.size());
    const auto size = cursor.number();
    if (!size || *size > quint64(head.size() - cursor.position()))
        return false;
    const qsizetype end = cursor.position() + qsizetype(*size);
    Cursor header(head, cursor.position(), end);
    const auto type = header.number();
    const auto flags = header.number();
    if (type != kMainHeaderType || !flags || !(*flags & kHasExtraArea))
        return false;
    const auto extraSize = header.number();
    if (!extraSize || ((*flags & kHasDataArea) && !header.number()))
        return false;
    const auto archiveFlags = header.number();
    if (!archiveFlags || ((*archiveFlags & kIsVolume) && !header.number()) ||
        *extraSize > quint64(end - header.position()))
        return false;
    // The extra area ends the header.
    return extraAreaHasEmptyName(head, end - qsizetype(*extraSize), end);
}

} // namespace

bool RarMainHeader::hasEmptyArchiveName(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = file.read(kHeaderLimit);
    if (!head.startsWith(kSignature))
        head += file.read(kStubLimit);
    // The library also reads the main header of a signature that follows inside the file.
    for (qsizetype start = head.indexOf(kSignature); start >= 0;
         start = head.indexOf(kSignature, start + 1))
        if (mainHeaderHasEmptyName(head, start))
            return true;
    return false;
}
