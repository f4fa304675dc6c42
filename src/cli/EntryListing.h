#pragma once

#include <QByteArray>
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
// The entry as a JSON object in UTF-8, its lines indented by the given number of spaces, as
// an element of list --json's "entries".
QByteArray toJson(const ArchiveEntry &entry, const QString &path, int indent);
// The text as a JSON string in UTF-8, quotes included.
QByteArray jsonString(QStringView text);
// Appends "size  date  path" and a line break in UTF-8 for the plain listing; local dates as
// the zone was last read (DateUtil::readLocalZone).
void appendLine(QByteArray &lines, const ArchiveEntry &entry, const QString &path);
} // namespace EntryListing
