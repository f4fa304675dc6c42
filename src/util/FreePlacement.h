#pragma once

#include <QString>

// Moves a finished result to the first free name in a folder without ever replacing what is
// there, even when another process creates the same name at the same moment: each candidate is
// claimed with a rename that fails when the name exists, and a clash moves on to the next one.
namespace FreePlacement {

// "name.ext", "name 2.ext", ... as FileUtil::freeFileName names them. Returns the final
// path, or a null string when the item could not be moved.
QString moveToFreeFileName(const QString &source, const QString &folder, const QString &filename,
                           const QString &extension);
// "name", "name 2", ... for a folder (or any item named without an extension split).
QString moveToFreeFolderName(const QString &source, const QString &folder, const QString &name);

} // namespace FreePlacement
