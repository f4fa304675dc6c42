#pragma once

#include <QString>

// Keeps extraction inside its destination folder, whatever names a hostile archive holds.
// Every reader builds target paths and creates folders and files through these functions.
namespace SafePath {

// The entry path as a relative path that cannot leave a folder: empty, "." and ".." components
// and leading "/" are dropped ("../../etc/passwd" gives "etc/passwd"). "" when nothing is left.
// Only "/" separates; readers whose format uses backslash separators convert them first.
QString sanitize(const QString &entryPath);

// The part of the path below the destination ("" for the destination itself), or a null string
// when the path does not lie below it.
QString below(const QString &destination, const QString &path);

// The destination joined with the sanitized entry path (the destination itself when nothing is
// left of the entry path).
QString join(const QString &destination, const QString &entryPath);

// Creates the folder and its missing parents below the destination one component at a time.
// Fails when the folder would not lie inside the destination or when an existing component is a
// symbolic link or not a folder, so nothing is ever created through a link the archive made.
bool makeFolders(const QString &destination, const QString &folder);

// Makes the parent folders of a file about to be written (as makeFolders) and removes a symbolic
// link standing at the file's own path, so the write creates a fresh file instead of following
// it. Fails when the file may not be written there.
bool prepareFile(const QString &destination, const QString &file);

} // namespace SafePath
