#include "zip/ZipEndRecord.h"

#include <QFile>
#include <QtEndian>

#include <optional>

namespace {

constexpr qint64 kEndSize = 22;
constexpr qint64 kLocatorSize = 20;
constexpr qint64 kZip64EndSize = 56;
constexpr quint16 kCountLimit = 0xFFFF;
constexpr quint32 kOffsetLimit = 0xFFFFFFFF;
constexpr qint64 kDirectoryRecordSize = 46;
// Version 4.5 of the format brought zip64; made on Unix.
constexpr quint16 kVersionNeeded = 45;
constexpr quint16 kVersionMadeBy = (3 << 8) | kVersionNeeded;

template <typename T> void put(QByteArray &bytes, T value) {
    char buffer[sizeof(T)];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, sizeof(T));
}

template <typename T> T get(const QByteArray &bytes, qsizetype at) {
    return qFromLittleEndian<T>(bytes.constData() + at);
}

// The records in the central directory; none when one of them is not a directory record.
std::optional<quint64> countRecords(const QByteArray &directory) {
    quint64 count = 0;
    qsizetype at = 0;
    while (at < directory.size()) {
        if (at + kDirectoryRecordSize > directory.size() ||
            !directory.mid(at, 4).startsWith("PK\x01\x02"))
            return std::nullopt;
        at += kDirectoryRecordSize + get<quint16>(directory, at + 28) +
              get<quint16>(directory, at + 30) + get<quint16>(directory, at + 32);
        ++count;
    }
    return count;
}

QByteArray zip64End(quint64 count, quint64 directorySize, quint64 directoryOffset) {
    QByteArray bytes("PK\x06\x06", 4);
    put<quint64>(bytes, kZip64EndSize - 12);
    put<quint16>(bytes, kVersionMadeBy);
    put<quint16>(bytes, kVersionNeeded);
    put<quint32>(bytes, 0);
    put<quint32>(bytes, 0);
    put<quint64>(bytes, count);
    put<quint64>(bytes, count);
    put<quint64>(bytes, directorySize);
    put<quint64>(bytes, directoryOffset);
    return bytes;
}

QByteArray locator(quint64 zip64EndOffset) {
    QByteArray bytes("PK\x06\x07", 4);
    put<quint32>(bytes, 0);
    put<quint64>(bytes, zip64EndOffset);
    put<quint32>(bytes, 1);
    return bytes;
}

} // namespace

bool ZipEndRecord::addZip64WhenNeeded(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || file.size() < kEndSize)
        return false;
    const qint64 endOffset = file.size() - kEndSize;
    if (!file.seek(endOffset))
        return false;
    const QByteArray end = file.read(kEndSize);
    if (end.size() != kEndSize || !end.startsWith("PK\x05\x06") || get<quint16>(end, 20) != 0)
        return false;
    if (get<quint16>(end, 10) != kCountLimit)
        return true;
    if (endOffset >= kLocatorSize && file.seek(endOffset - kLocatorSize) &&
        file.read(4) == QByteArray("PK\x06\x07", 4))
        return true;
    const quint32 directorySize = get<quint32>(end, 12);
    const quint32 directoryOffset = get<quint32>(end, 16);
    if (directoryOffset == kOffsetLimit ||
        quint64(directoryOffset) + directorySize != quint64(endOffset) ||
        !file.seek(directoryOffset))
        return false;
    const auto count = countRecords(file.read(directorySize));
    if (!count)
        return false;
    const QByteArray tail =
        zip64End(*count, directorySize, directoryOffset) + locator(quint64(endOffset)) + end;
    return file.seek(endOffset) && file.write(tail) == tail.size() && file.flush();
}
