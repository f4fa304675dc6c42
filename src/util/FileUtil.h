#pragma once

#include "util/Error.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <sys/types.h>

class ProgressReceiver;

// Stateless operations on paths and on the local file system. Path operations never touch the
// disk; the others answer false, 0, an empty text, none or an error instead of throwing.
namespace FileUtil {

// Size from lstat (a link's own size); 0 when the path cannot be examined.
quint64 fileSize(const QString &path);
// "0", "512B", "1.0K", "1.00M", "1.000G" (powers of 1024).
QString formatSize(quint64 count);

QString fileName(const QString &path);
// Text after the last "." of the last component, without the dot.
QString extension(const QString &path);
QString baseName(const QString &path);
QString parentFolder(const QString &path);

// A path in the folder at which nothing exists yet: "name.ext", then "name 2.ext", "name 3.ext"...
// A base ending in ".tar" keeps that part in the suffix ("backup 2.tar.gz").
QString freeFileName(const QString &folder, const QString &filename,
                     const QString &extension = QString());
// "name", then "name 2", "name 3"... in the folder.
QString freeFolderName(const QString &folder, const QString &filename);
// The candidates those two try, counter 1 being the plain name.
QString fileNameCandidate(const QString &folder, const QString &filename, const QString &extension,
                          quint64 counter);
QString folderNameCandidate(const QString &folder, const QString &filename, quint64 counter);

// The part of the path below the base as "/a/b", or "" when the path is not below the base.
QString relativePath(const QString &path, const QString &baseRelative);
// True when the folder (with one trailing "/") occurs within the path (with one trailing "/").
bool hasPrefix(const QString &path, const QString &prefix);

QString tempDirectory();
// The root of every temporary folder Kist makes: the temp folder joined with the bundle id.
QString tempBundleIdDirectory();

// Creates the folder with its parents when nothing exists there. Always answers true; callers
// that must know test for the folder afterwards.
bool createFolder(const QString &path);
bool createFolder(const QString &path, const std::optional<QDateTime> &date);
bool createFolder(const QString &path, const std::optional<QDateTime> &date,
                  const std::optional<QDateTime> &created);

// Applies the modification date (nothing when absent) to the item itself, not a link's target.
std::optional<Error> setModifiedDate(const std::optional<QDateTime> &date, const QString &fullPath);
std::optional<Error> setModifiedDate(const std::optional<QDateTime> &date,
                                     const std::optional<QDateTime> &created,
                                     const QString &fullPath);
// The same for a file open for writing (no link can stand in between).
std::optional<Error> setOpenFileModifiedDate(const std::optional<QDateTime> &date, int fd);

// The mode a restored item gets: the stored mode plus read and write for the owner, with the
// process umask applied. A stored mode of 0 stands for a new file's usual 0666.
mode_t restoredPermission(mode_t stored);
// Opens the item up for its owner: 0777 with the umask applied.
std::optional<Error> setFullPermission(const QString &path);
std::optional<Error> setPermission(const QString &path, mode_t permission);

// A symbolic link at linkPath pointing to targetPath, unchanged (relative targets stay relative).
bool createSymlink(const QString &linkPath, const QString &targetPath, Error *error = nullptr);
// Removes the item (a folder with everything in it); none when nothing exists there.
std::optional<Error> removeItem(const QString &path);

// Follows links: a link to a folder counts as a folder.
bool isFolder(const QString &path);
// The path is a symbolic link whose target exists; hands out the link's target text.
bool isSymlink(const QString &path, QString *destination = nullptr);
bool isWritable(const QString &path);
std::optional<QDateTime> modifiedDate(const QString &path);
// The birth time where the file system records one.
std::optional<QDateTime> createdDate(const QString &path);
std::optional<QString> mimeType(const QString &path);

// Copies in chunks of 1 MiB, reporting each chunk to the delegate and stopping when the thread
// is cancelled. Answers whether the source could be opened.
bool copyFile(const QString &sourcePath, const QString &desPath, bool isOverWrite, bool isAppend,
              ProgressReceiver *delegate);

} // namespace FileUtil
