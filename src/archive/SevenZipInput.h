#pragma once

#include "archive/Utf8CtypeScope.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QString>

#include <optional>

#include <sys/types.h>

struct archive;
struct archive_entry;

// One pass over a 7z archive with libarchive's 7z reader (LZMA, LZMA2, PPMd, BZip2, Deflate, the
// BCJ filters; AES-encrypted content cannot be decoded). A volume set is read as one stream.
// Entry names come out as UTF-8 whatever the thread's locale, so it lives on one thread.
class SevenZipInput {
public:
    enum class Next { Entry, End, Encrypted, Failed };

    // Opens the archive at the path: the file itself or, for a part of a volume set, every part.
    explicit SevenZipInput(const QString &path);
    ~SevenZipInput();
    SevenZipInput(const SevenZipInput &) = delete;
    SevenZipInput &operator=(const SevenZipInput &) = delete;

    // The file name of a part the volume set lacks; nothing was opened then.
    const QString &missingPart() const { return missingPart_; }
    // False when the files could not be opened as a 7z archive.
    bool isOpen() const { return handle_ != nullptr; }

    // Moves to the next entry in archive order. Encrypted: the headers themselves are, so no
    // entry can be named. Failed: the archive is damaged.
    Next next();
    archive_entry *entry() const { return entry_; }
    // Decodes the current entry's next bytes: their count, 0 at its end, a negative libarchive
    // status when its data is damaged (ARCHIVE_FATAL when nothing after it can be read either).
    qint64 read(char *buffer, size_t capacity);

    // What the archive says of an entry; the path is sanitized, "" when nothing is left of it.
    static QString path(archive_entry *entry);
    static QString linkTarget(archive_entry *entry);
    // The entry's type (AE_IFREG, AE_IFDIR, AE_IFLNK ...). A pipe that holds data is a file:
    // 7-Zip stores what it reads from its standard input that way, and extracts it as a file.
    static unsigned int fileType(archive_entry *entry);
    // None when the archive holds no modification time for the entry.
    static std::optional<QDateTime> modifiedDate(archive_entry *entry);
    // The stored permission bits (0666 for files, 0777 for folders when 7-Zip stored none).
    static mode_t permission(archive_entry *entry);

private:
    const Utf8CtypeScope utf8_;
    QString missingPart_;
    QByteArrayList files_;
    struct archive *handle_ = nullptr;
    archive_entry *entry_ = nullptr;
};
