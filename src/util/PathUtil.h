#pragma once

#include <QString>

// Path text: names, extensions, parents and containment, worked out on the text alone (the disk
// is never consulted). Components are separated by "/"; surplus slashes at the end do not count.
namespace PathUtil {

// The last component; "/" for the root, "" for "".
QString fileName(const QString &path);
// Text after the last "." of the last component, without the dot; "" when there is none or the
// only dot begins the name (a hidden file).
QString extension(const QString &path);
// The last component without its extension.
QString baseName(const QString &path);
// The path without its last component; "/" for an item at the root, "" for a bare name.
QString parentFolder(const QString &path);
// The part of the path below the base as "/a/b", or "" when the path is not below the base.
// Components are compared whole and case-sensitively.
QString relativePath(const QString &path, const QString &base);
// The path is the folder itself or lies below it, comparing whole components.
bool isInside(const QString &path, const QString &folder);

} // namespace PathUtil
