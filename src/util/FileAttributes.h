#pragma once

#include "util/Error.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <sys/types.h>

// What the file system records about an item: type, size, dates, permissions and MIME type.
// Readers answer false, 0 or none when the item cannot be examined; setters answer the error.
namespace FileAttributes {

// Size from lstat (a link's own size); 0 when the path cannot be examined.
quint64 fileSize(const QString &path);
// Follows links: a link to a folder counts as a folder.
bool isFolder(const QString &path);
bool isWritable(const QString &path);
// The item's own modification date (a link's, not its target's).
std::optional<QDateTime> modifiedDate(const QString &path);
// The birth time where the file system records one.
std::optional<QDateTime> createdDate(const QString &path);
std::optional<QString> mimeType(const QString &path);

// Applies the modification date (nothing when absent) to the item itself, not a link's target.
std::optional<Error> setModifiedDate(const std::optional<QDateTime> &date, const QString &path);
// The same for a file open for writing (no link can stand in between).
std::optional<Error> setOpenFileModifiedDate(const std::optional<QDateTime> &date, int fd);

// The mode a restored item gets: the stored permission bits (never set-user-ID, set-group-ID
// or sticky) plus read and write for the owner, with the process umask applied. A stored mode of 0
// stands for a new file's usual 0666.
mode_t restoredMode(mode_t stored);
// Gives the item the restoredMode of the stored mode.
std::optional<Error> setRestoredMode(const QString &path, mode_t stored);

} // namespace FileAttributes
