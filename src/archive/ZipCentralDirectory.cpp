#include "archive/ZipCentralDirectory.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr qint64 kRecordSize = 46;
constexpr qint64 kEndRecordSize = 22;
// The end record and the longest comment it can have.
constexpr qint64 kEndSearch = kEndRecordSize + 65535;
constexpr qint64 kLocatorSize = 20;
constexpr qint64 kZip64EndSize = 56;
// Records are read a window at a time; a record can be longer (three 16-bit fields).
constexpr qint64 kWindowSize = qint64{1} << 20;

quint16 le16(const char *at) {
    return qFromLittleEndian<quint16>(at);
}
quint32 le32(const char *at) {
    return qFromLittleEndian<quint32>(at);
}
quint64 le64(const char *at) {
    return qFromLittleEndian<quint64>(at);
}
bool hasSignature(const char *at, const char *signature) {
    return std::memcmp(at, signature, 4) == 0;
}

QByteArray readAt(QFile &file, qint64 offset, qint64 length) {
    return file.seek(offset) ? file.read(length) : QByteArray();
}

struct Located {
    qint64 start = 0;
    std::optional<quint64> count;
};

// The directory as the last end record (and a zip64 end record its locator points at) describe
// it; none when they do not, or when it does not begin at minizip's first entry.
std::optional<Located> locate(QFile &file, quint64 firstPosition) {
    qint64 tailStart = 0;
    const QByteArray tail = ZipCentralDirectory::endTail(file, &tailStart);
    const qsizetype end = ZipCentralDirectory::lastEndRecord(tail);
    if (end < 0)
        return std::nullopt;
    const char *record = tail.constData() + end;
    Located found;
    if (const quint16 entries = le16(record + 10); entries != 0xFFFF)
        found.count = entries;
    qint64 centralPosition = tailStart + end;
    quint64 size = le32(record + 12);
    quint64 offset = le32(record + 16);
    if (end >= kLocatorSize && hasSignature(record - kLocatorSize, "PK\x06\x07")) {
        const quint64 at = le64(record - kLocatorSize + 8);
        const QByteArray zip64 =
            at < quint64(file.size()) ? readAt(file, qint64(at), kZip64EndSize) : QByteArray();
        if (zip64.size() < kZip64EndSize || !hasSignature(zip64.constData(), "PK\x06\x06"))
            return std::nullopt;
        centralPosition = qint64(at);
        found.count = le64(zip64.constData() + 32);
        size = le64(zip64.constData() + 40);
        offset = le64(zip64.constData() + 48);
    }
    // minizip counts positions from the directory's recorded offset, whatever precedes the
    // archive (a self-extractor's program): the directory ends where the end record begins.
    if (size > quint64(centralPosition) || offset != firstPosition)
        return std::nullopt;
    found.start = centralPosition - qint64(size);
    return found;
}

} // namespace

QByteArray ZipCentralDirectory::endTail(QFile &file, qint64 *start) {
    const qint64 from = qMax<qint64>(0, file.size() - kEndSearch);
    if (start)
        *start = from;
    return readAt(file, from, kEndSearch);
}

qsizetype ZipCentralDirectory::lastEndRecord(const QByteArray &tail) {
    qsizetype end = tail.size() - kEndRecordSize;
    while (end >= 0 && !hasSignature(tail.constData() + end, "PK\x05\x06"))
        --end;
    return end;
}

bool ZipCentralDirectory::open(const QString &path, quint64 firstPosition) {
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    const auto located = locate(file_, firstPosition);
    if (!located) {
        close();
        return false;
    }
    start_ = located->start;
    size_ = file_.size() - start_;
    count_ = located->count;
    firstPosition_ = firstPosition;
    window_.clear();
    if (first())
        return true;
    close();
    return false;
}

void ZipCentralDirectory::close() {
    file_.close();
    window_ = QByteArray();
}

bool ZipCentralDirectory::first() {
    brokeOff_ = false;
    const auto length = wholeRecordAt(0);
    offset_ = 0;
    length_ = length.value_or(0);
    index_ = 0;
    return length.has_value();
}

bool ZipCentralDirectory::next() {
    if (count_ && index_ + 1 >= *count_)
        return false;
    const auto length = wholeRecordAt(offset_ + length_);
    if (!length) {
        brokeOff_ = count_.has_value();
        return false;
    }
    offset_ += length_;
    length_ = *length;
    ++index_;
    return true;
}

bool ZipCentralDirectory::seek(const ZipEntryPosition &position) {
    if (position.positionInDirectory < firstPosition_)
        return false;
    const auto offset = qint64(position.positionInDirectory - firstPosition_);
    const auto length = wholeRecordAt(offset);
    if (!length)
        return false;
    offset_ = offset;
    length_ = *length;
    index_ = position.index;
    return true;
}

std::optional<ZipEntryInfo> ZipCentralDirectory::current(quint32 &dosDateTime) {
    const char *record = bytesAt(offset_, length_);
    if (!record)
        return std::nullopt;
    ZipEntryInfo info;
    info.versionMadeBy = le16(record + 4);
    info.flag = le16(record + 8);
    info.compressionMethod = le16(record + 10);
    dosDateTime = le32(record + 12);
    info.crc = le32(record + 16);
    info.compressedSize = le32(record + 20);
    info.uncompressedSize = le32(record + 24);
    info.externalAttributes = le32(record + 38);
    const quint16 nameLength = le16(record + 28);
    const char *name = record + kRecordSize;
    info.rawName = QByteArray(name, qsizetype(qstrnlen(name, nameLength)));
    info.extraField = QByteArray(name + nameLength, le16(record + 30));
    info.position = {firstPosition_ + quint64(offset_), index_};
    return info;
}

const char *ZipCentralDirectory::bytesAt(qint64 offset, qint64 length) {
    if (offset < 0 || length > size_ - offset)
        return nullptr;
    if (offset < windowOffset_ || offset + length > windowOffset_ + window_.size()) {
        window_ = readAt(file_, start_ + offset, qMin(qMax(length, kWindowSize), size_ - offset));
        windowOffset_ = offset;
        if (window_.size() < length)
            return nullptr;
    }
    return window_.constData() + (offset - windowOffset_);
}

std::optional<qint64> ZipCentralDirectory::wholeRecordAt(qint64 offset) {
    const char *record = bytesAt(offset, kRecordSize);
    if (!record || !hasSignature(record, "PK\x01\x02"))
        return std::nullopt;
    const qint64 length = kRecordSize + le16(record + 28) + le16(record + 30) + le16(record + 32);
    if (!bytesAt(offset, length))
        return std::nullopt;
    return length;
}
