#pragma once

#include "util/Error.h"

#include <QString>

#include <optional>

class ProgressReceiver;

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

} // namespace FileOps
