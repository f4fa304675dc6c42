#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

class ArchiveEntry;

// The entry tree as kist-cli shows it: relative paths, folders ending in "/", depth first with
// children in insertion order.
namespace EntryListing {
// Visits every entry below the root in tree order, with its listed path.
void forEachInTreeOrder(const ArchiveEntry &root,
                        const std::function<void(const ArchiveEntry &, const QString &)> &visit);
// The entry listed under the given path (a folder also matches without its "/").
ArchiveEntry *find(const ArchiveEntry &root, const QString &path);
QJsonObject toJson(const ArchiveEntry &entry, const QString &path);
// "size  date  path" for the plain listing; local dates as the zone was last read
// (DateUtil::readLocalZone).
QString toLine(const ArchiveEntry &entry, const QString &path);
} // namespace EntryListing
