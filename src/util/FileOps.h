#pragma once

#include "util/Error.h"

#include <QString>

#include <optional>

#include <sys/types.h>

class ProgressReceiver;
class QIODevice;

// Which file a path named when it was looked at: the same device and inode are the same file.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};

// Changes to the local file system: making folders, removing items, copying files.
namespace FileOps {

// Creates the folder with its parents when nothing exists at the path.
void createFolder(const QString &path);
// Removes the item (a folder with everything in it, a link but not its target); none when
// nothing exists there.
std::optional<Error> removeItem(const QString &path);
// Copies the file in chunks of 1 MiB to the destination, which is replaced when it exists,
// reporting each chunk to progress and stopping when the thread is cancelled. True only when
// every byte was copied; otherwise no destination is left behind.
bool copyFile(const QString &source, const QString &destination, ProgressReceiver *progress);
// The same from a device not open yet, such as a buffer over data in memory.
bool copyFile(QIODevice &source, const QString &destination, ProgressReceiver *progress);
// The identity of the item at the path, a last link not followed; none when nothing is there.
std::optional<FileIdentity> identityOf(const QString &path);
// Why the item at the path cannot be opened for reading; none when it can.
std::optional<Error> readError(const QString &path);
// Removes the file at the path only while it is still that one, never what replaced it.
void removeIfSame(const QString &path, const FileIdentity &identity);
// The errno values of a disk (or a quota, or a file size limit) without room for more.
bool isOutOfSpace(int errnoValue);
// Writes all the bytes to the descriptor, going on after short writes and interruptions; false,
// with errno telling why, when the descriptor takes no more.
bool writeAll(int fd, const char *data, qint64 length);

} // namespace FileOps
