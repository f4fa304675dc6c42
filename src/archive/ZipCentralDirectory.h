#pragma once

#include "archive/ZipEntryInfo.h"

#include <QFile>

#include <optional>

// A zip's central directory, read record by record through a window of its own. minizip reads each
// record a byte at a time through its file callbacks, and twice for every entry walked: for an
// archive of many small entries that is most of what a listing costs.
class ZipCentralDirectory {
public:
    // Finds the directory the end record (or the zip64 end record) describes. False when there is
    // none, when it lies outside the file, or when it does not begin where minizip found the first
    // entry (firstPosition, as minizip counts it): minizip then walks on its own.
    bool open(const QString &path, quint64 firstPosition);
    void close();
    bool isOpen() const { return file_.isOpen(); }

    // Each answers whether a whole directory record is now current.
    bool first();
    // False at the end, and where a record the end record counts is missing or damaged.
    bool next();
    bool seek(const ZipEntryPosition &position);
    // The walk ended before the count the end record gives.
    bool brokeOff() const { return brokeOff_; }

    // The file's last bytes, where the end record and the longest comment after it lie; start
    // (when given) receives their offset in the file.
    static QByteArray endTail(QFile &file, qint64 *start = nullptr);
    // The offset of the last whole end record within such a tail; -1 when there is none.
    static qsizetype lastEndRecord(const QByteArray &tail);

    // The current record's fields; the date is left to the caller, in MS-DOS form (the time in
    // the low half), and the zip64 field is not read yet. None when it can no longer be read.
    std::optional<ZipEntryInfo> current(quint32 &dosDateTime);

private:
    // The length bytes at the offset in the directory, read into the window when they are not
    // in it; null past the file's end.
    const char *bytesAt(qint64 offset, qint64 length);
    // The length of the whole record at the offset; none when there is no record.
    std::optional<qint64> wholeRecordAt(qint64 offset);

    QFile file_;
    // Where the directory begins in the file, and the bytes from there to the file's end: like
    // minizip, a record is read wherever it lies before the end.
    qint64 start_ = 0;
    qint64 size_ = 0;
    // A stretch of the directory read in one go, and its offset in the directory.
    QByteArray window_;
    qint64 windowOffset_ = 0;
    // minizip's position of the first record, from which it counts the others.
    quint64 firstPosition_ = 0;
    // The entries the end record declares; none for a classic record that says 65,535, which
    // writers also leave when there are more.
    std::optional<quint64> count_;
    // The current record: its offset in the directory, its length and its index.
    qint64 offset_ = 0;
    qint64 length_ = 0;
    quint64 index_ = 0;
    bool brokeOff_ = false;
};
