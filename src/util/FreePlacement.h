#pragma once

#include <QString>

// Free names in a folder: "name.ext", then "name 2.ext", "name 3.ext"... A base ending in ".tar"
// keeps that part in the suffix ("backup 2.tar.gz"); a folder's name is never split. Any item
// takes a name, a dangling link too.
//
// The moves place a finished result under the first free name without ever replacing what is
// there, even when another process creates the same name at the same moment: each candidate is
// claimed with a rename that fails when the name exists, and a clash moves on to the next one.
namespace FreePlacement {

// The first file name at which nothing exists yet. Only a choice: another process may take the
// name before the caller does.
QString freeFileName(const QString &folder, const QString &filename, const QString &extension);
// Moves the item to the first free file name. Returns the final path, or a null string when
// the item could not be moved.
QString moveToFreeFileName(const QString &source, const QString &folder, const QString &filename,
                           const QString &extension);
// The same with folder names ("name", "name 2", ...), for a folder or any item named without
// an extension split.
QString moveToFreeFolderName(const QString &source, const QString &folder, const QString &name);

} // namespace FreePlacement
