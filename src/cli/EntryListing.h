#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class ZipEntry;

// The entry tree as kist-cli shows it: relative paths, folders ending in "/", depth first with
// children in insertion order.
namespace EntryListing {
QString listPath(const ZipEntry &entry);
QList<const ZipEntry *> inTreeOrder(const ZipEntry &root);
// The entry whose listPath is the given path (a folder also matches without its "/").
ZipEntry *find(const ZipEntry &root, const QString &path);
QJsonObject toJson(const ZipEntry &entry);
// "size  date  path" for the plain listing.
QString toLine(const ZipEntry &entry);
} // namespace EntryListing
