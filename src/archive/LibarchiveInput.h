#pragma once

#include "archive/Utf8CtypeScope.h"
#include "util/FileKinds.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include <sys/types.h>

struct archive;
struct archive_entry;
class SevenZipBlockDecoder;

// One pass over an archive with the libarchive reader of its kind: 7z (LZMA, LZMA2, PPMd, BZip2,
// Deflate, the BCJ filters; AES-encrypted content cannot be decoded; a volume set is read as one
// stream), ISO 9660 (Joliet and Rock Ridge), cpio, ar (".deb"), the cpio payload of an RPM
// package, cabinet and LHA. Entry names come out as UTF-8 whatever the thread's locale, so it
// lives on one thread.
class LibarchiveInput {
public:
    enum class Next { Entry, End, Encrypted, Failed };
    // Decodes a name stored as bytes of no declared encoding; none when it cannot.
    using NameDecoder = std::function<std::optional<QString>(const char *, qsizetype)>;

    // Opens the archive at the path: the file itself or, for a part of a 7z volume set, every
    // part. The kind picks libarchive's format; for every kind but 7z (whose names are UTF-16)
    // names are bytes the decoder turns into text.
    LibarchiveInput(ArchiveKind kind, const QString &path, NameDecoder decoder);
    ~LibarchiveInput();
    LibarchiveInput(const LibarchiveInput &) = delete;
    LibarchiveInput &operator=(const LibarchiveInput &) = delete;

    // The file name of a part the volume set lacks; nothing was opened then.
    const QString &missingPart() const { return missingPart_; }
    // False when the files could not be opened as an archive of the kind.
    bool isOpen() const { return handle_ != nullptr; }

    // Moves to the next entry in archive order. Encrypted: the headers themselves are, so no
    // entry can be named. Failed: the archive is damaged.
    Next next();
    archive_entry *entry() const { return entry_; }
    // Decodes the current entry's next bytes: their count, 0 at its end, a negative libarchive
    // status when its data is damaged (ARCHIVE_FATAL when nothing after it can be read either).
    qint64 read(char *buffer, size_t capacity);
    // From now on the entries' data comes from this decoder; libarchive only walks the headers.
    void readDataFrom(std::unique_ptr<SevenZipBlockDecoder> blocks);

    // What the archive says of an entry; the path is sanitized, "" when nothing is left of it.
    QString path(archive_entry *entry) const;
    QString linkTarget(archive_entry *entry) const;
    // The sanitized path of the earlier entry this one is a hard link to; "" when it is none.
    QString hardLinkSource(archive_entry *entry) const;
    // The entry's type (AE_IFREG, AE_IFDIR, AE_IFLNK ...). A pipe that holds data is a file:
    // 7-Zip stores what it reads from its standard input that way, and extracts it as a file.
    static unsigned int fileType(archive_entry *entry);
    // None when the archive holds no modification time for the entry.
    static std::optional<QDateTime> modifiedDate(archive_entry *entry);
    // The stored permission bits (0666 for files, 0777 for folders when 7-Zip stored none).
    static mode_t permission(archive_entry *entry);

private:
    void open(ArchiveKind kind, const QStringList &files);
    QString text(const char *utf8, const char *bytes) const;

    const Utf8CtypeScope utf8_;
    NameDecoder decoder_;
    QString missingPart_;
    QByteArrayList files_;
    struct archive *handle_ = nullptr;
    archive_entry *entry_ = nullptr;
    // The index of the current entry, in archive order.
    qint64 index_ = -1;
    std::unique_ptr<SevenZipBlockDecoder> blocks_;
};
