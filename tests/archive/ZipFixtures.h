#pragma once

#include "archive/ArchiveEntry.h"
#include "archive/ZipReader.h"
#include "support/TestDirs.h"
#include "util/ProgressReceiver.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Helpers that make zip archives with the peer tools and read back what a reader produced.
namespace ZipFixtures {

// Runs a python script in the folder with the arguments. The script starts with helpers of its own:
// add(z, name, data, mode, date, method, utf8, extra, attr) writes one entry whose name (str or
// raw bytes) is stored exactly as given, with the language-encoding flag only when utf8 is true
// (default: for non-ASCII str names) and the Unix mode in the external attributes (or attr);
// unicode_path(raw, text) makes an Info-ZIP Unicode Path extra field; zipfile, struct and zlib are
// imported.
bool runPython(const ScratchDir &dir, const QString &script, const QStringList &arguments = {});

// A shell command run in the folder; true when it succeeded.
bool runIn(const ScratchDir &dir, const QString &command);

// Items by relative path, in a form the test framework prints readably.
using Tree = std::map<std::string, std::string>;
// Every item below the folder: files with their contents (long ones as their size and CRC),
// folders as "name/" with no content, symbolic links as "-> target".
Tree readTree(const QString &folder);
// The regular files of a tree.
std::vector<std::string> regularFiles(const Tree &tree);
std::string text(const QString &string);

// What a listing shows of one entry.
struct Listed {
    quint64 size = 0;
    quint32 crc = 0;
    std::optional<QDateTime> date;
    bool operator==(const Listed &) const = default;
};
void PrintTo(const Listed &listed, std::ostream *out);
using Listing = std::map<std::string, Listed>;
// Every node below the root by full path, folders ending in "/".
Listing listTree(const ArchiveEntry *root);
// The same, as python's zipfile reads the archive (CRC, size, date of each named entry).
Listing pythonListing(const ScratchDir &dir, const QString &archive);

// The node at that path of the tree ("a/b/" for a folder), or null.
ArchiveEntry *findNode(ArchiveEntry *root, const QString &path);

// Counts the progress reports and can cancel the running thread at the first one.
struct ProgressRecorder : ProgressReceiver {
    QList<quint64> reports;
    bool cancelOnReport = false;
    void addDone(quint64 bytes) override;
};

// One reader over an archive, with its own entry tree.
struct OpenedZip {
    std::unique_ptr<ArchiveEntry> root = ArchiveEntry::rootEntry();
    std::unique_ptr<ZipReader> zip;

    explicit OpenedZip(const QString &path, const QString &password = {},
                       StringEncoding chosen = kAutomaticEncoding);
    // The code of the reader's error, 0 when none.
    int code() const;
    QString message() const;
    // Lists, then extracts the whole archive into a new folder of the scratch dir.
    Tree extractAll(const ScratchDir &dir, const QString &name = "out");
};

// Runs the work on a thread of its own, as the document does, and waits for it.
void runOnWorkerThread(const std::function<void()> &work);

} // namespace ZipFixtures
