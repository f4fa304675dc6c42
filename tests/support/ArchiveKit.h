#pragma once

#include "archive/ArchiveEntry.h"
#include "archive/ReaderBase.h"
#include "support/TestDirs.h"
#include "util/ProgressReceiver.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The one kit the tests make, damage and read back archives with. Archives are made by the real
// tools (zip, 7zz, rar, tar, bsdtar, gzip, bzip2) and by tests/data/archive_maker.py for what no
// tool writes as it is.
namespace ArchiveKit {

// Records every progress report; with cancelOnReport set, the first report asks the running
// thread to stop, as the document's cancel button does.
struct ProgressRecorder : ProgressReceiver {
    QList<quint64> finished;
    QList<quint64> positions;
    bool cancelOnReport = false;

    void addDone(quint64 bytes) override;
    void setDone(quint64 bytes) override;
};

// Runs the work on a thread of its own (readers poll that thread's cancel mark) and waits.
void runOnThread(const std::function<void()> &work);

// Runs a python3 script in the folder (the current one when empty) with the arguments; returns
// its exit status. The script can import archive_maker (add, unicode_path, zeros ...).
int runPython(const QString &script, const QString &folder = {}, const QStringList &arguments = {});

// Every node below the root as "path" for files and "path/" for folders, without a leading
// "/", sorted.
QStringList listedPaths(const ArchiveEntry *root);
// The node at that path, or null; a path ending in "/" names a folder, any other a leaf.
ArchiveEntry *findEntry(const ArchiveEntry *root, const QString &path);

// The items of a list written as "a, b, c" (a table's column); none for "".
QStringList listOf(const char *joined);

QByteArray readFile(const QString &path);
// Permission bits of the item itself, not following links.
unsigned modeOf(const QString &path);
// Modification time in seconds, not following links.
qint64 mtimeOf(const QString &path);
// Every item below the folder as a relative path ("sub/" for folders), sorted.
QStringList filesBelow(const QString &folder);
// Random bytes that do not compress, the same for every run with that seed.
QByteArray noise(qsizetype size, unsigned seed);

// Runs "rar a" in the folder with the options, the archive path and the items (all words of a
// shell command line), with names taken as UTF-8 whatever the test's locale. True on success.
bool makeRar(const QString &folder, const QString &options, const QString &archive,
             const QString &items);
// Renames the file headers of a RAR5 archive made without quick-open records (-qo-).
bool editRarHeaders(const QString &archive, const QMap<QString, QString> &names);

// The bytes with every bit of the span inverted.
QByteArray flipped(const QByteArray &bytes, qsizetype at, qsizetype length);
// An archive of the format (zip, tar, tgz, 7z, gz, bz2) holding one entry of that many zero
// bytes.
QString makeZeros(const QString &archivePath, qint64 size);
// A stored zip of that many empty files, a thousand to a top folder "dNNN/" and a hundred to a
// subfolder "sN/" in it, in that order; false when it could not be made.
bool makeManyFilesZip(const QString &archivePath, int count);

// Writes a file below the folder with that content (and modification date), creating parent
// folders; returns its path, or none when it could not be written.
QString writeFile(const QString &folder, const QString &name, const QByteArray &content,
                  const std::optional<QDateTime> &date = std::nullopt);
// A local date with even seconds, as an MS-DOS time stores it.
QDateTime localDate(int year, int month, int day, int hour, int minute, int second);

// One reader over an archive, with its own entry tree.
template <class Reader> struct Opened {
    std::unique_ptr<ArchiveEntry> root = ArchiveEntry::rootEntry();
    std::unique_ptr<Reader> reader;

    explicit Opened(const QString &path, const QString &password = {},
                    StringEncoding chosen = kAutomaticEncoding)
        : reader(ReaderBase::create<Reader>(path, root.get(), nullptr, password, chosen)) {}
    // The code of the reader's error, 0 when none.
    int code() const {
        const auto error = reader->archiveError();
        return error ? error->code : 0;
    }
    // Lists and answers the listed paths (folders ending in "/"), sorted.
    QStringList list() {
        reader->listEntries();
        return listedPaths(root.get());
    }
    // The node at that path ("a/b" for a file, "a/b/" for a folder), or null.
    ArchiveEntry *node(const QString &path) { return findEntry(root.get(), path); }
    // Extracts the node at that path into the folder; a missing node extracts nothing (it
    // would stand for the whole archive).
    void extract(const QString &path, const QString &folder) {
        if (ArchiveEntry *entry = node(path))
            reader->extract(entry, folder);
    }
};

// One entry as python's zipfile reads it.
struct ZipItem {
    QString name;
    quint32 mode = 0;   // upper 16 bits of the external attributes
    int flags = 0;      // general purpose bits
    int system = 0;     // host of "version made by"
    int method = 0;     // compression method
    quint64 size = 0;   // uncompressed size
    QString linkTarget; // the data of a link entry
    QDateTime date;     // local time
};

struct ZipListing {
    bool valid = false; // the archive opened and every CRC matched
    QList<ZipItem> items;
};

// Reads the archive with python's zipfile; withData false skips reading the contents.
ZipListing inspectZip(const QString &archive, bool withData = true);
QStringList entryNames(const ZipListing &listing);

// Every item below the folder by its filesBelow() path: a file's content, "-> target" for a
// link, nothing for a folder.
QMap<QString, QByteArray> contentsBelow(const QString &folder);

// The entry names bsdtar lists in the archive, sorted; its message when it fails.
QStringList toolListing(const QString &archive);

// A folder "Photos" in the parent with files, an empty folder, an executable, hidden items, a
// link to a file, a dangling link and non-ASCII names; returns its path.
QString makeSampleTree(const QString &parent);

} // namespace ArchiveKit
