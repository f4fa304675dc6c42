#pragma once

#include "ReaderTestKit.h"
#include "archive/ArchiveEntry.h"
#include "archive/RarReader.h"
#include "support/TestDirs.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>

#include <memory>

// Helpers that make RAR archives with the rar tool and read back what the reader produced.
namespace RarFixtures {

// Runs "rar a" in the folder with the options, the archive path and the items (all words of a
// shell command line), with names taken as UTF-8 whatever the test's locale. True on success.
bool makeRar(const QString &folder, const QString &options, const QString &archive,
             const QString &items);

// Rewrites the file headers of a RAR5 archive in place: entries named in names get the new name
// (any length), entries named in sizes report that unpacked size; header checksums are redone.
// Makes the hostile and huge entries rar itself will not store. Archives to edit must be made
// without quick-open records (-qo-).
bool editHeaders(const QString &archive, const QMap<QString, QString> &names,
                 const QMap<QString, quint64> &sizes = {});

// Random bytes that do not compress.
QByteArray noise(qsizetype size, unsigned seed);

// Writes a file below the folder with that content and modification date.
void writeFile(const QString &folder, const QString &name, const QByteArray &content,
               const QDateTime &date);

// A date with even seconds, as an MS-DOS time stores it.
QDateTime localDate(int year, int month, int day, int hour, int minute, int second);

// The mode a file extracted with this stored mode has under the process umask.
unsigned expectedMode(unsigned stored);

// One reader over an archive, with its own entry tree.
struct OpenedRar {
    std::unique_ptr<ArchiveEntry> root = ArchiveEntry::rootEntry();
    std::unique_ptr<RarReader> rar;

    explicit OpenedRar(const QString &path, const QString &password = {},
                       StringEncoding chosen = kAutomaticEncoding);
    // The code of the reader's error, 0 when none.
    int code() const;
    // Lists and answers the listed paths (folders ending in "/"), sorted.
    QStringList list();
    // The node at that path ("a/b" for a file, "a/b/" for a folder), or null.
    ArchiveEntry *node(const QString &path);
    // Extracts the node at that path into the folder, made first; a missing node fails the test
    // (it would stand for the whole archive).
    void extract(const QString &path, const QString &folder);
};

} // namespace RarFixtures
