#pragma once

#include <QString>
#include <QStringList>

// Walking helpers shared by the scanners and the zip writer.
namespace FileTree {

// Full paths of the folder's direct contents in the file system's order, hidden items and
// dangling links included unless skipsHidden; empty for an unreadable folder.
QStringList contentsOfFolder(const QString &folder, bool skipsHidden = false);
// The path with every symbolic link resolved; the cleaned absolute path when that fails.
QString resolveSymlinks(const QString &path);
// The last component begins with ".".
bool isHiddenPath(const QString &path);

} // namespace FileTree
