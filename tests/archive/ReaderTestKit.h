#pragma once

#include "archive/ArchiveEntry.h"
#include "support/TestDirs.h"
#include "util/ProgressReceiver.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <ostream>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// Helpers shared by the tests of the tar, gzip, bzip2 and 7z readers.
namespace ReaderTestKit {

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

// Runs a python3 script; returns its exit status.
int runPython(const QString &script);

// Every node below the root as "path" for files and "path/" for folders, without a leading
// "/", sorted.
QStringList listedPaths(const ArchiveEntry *root);
// The node at that path, or null; a path ending in "/" names a folder, any other a leaf.
const ArchiveEntry *findEntry(const ArchiveEntry *root, const QString &path);
ArchiveEntry *findEntry(ArchiveEntry *root, const QString &path);

QByteArray readFile(const QString &path);
// Permission bits of the item itself, not following links.
unsigned modeOf(const QString &path);
// Modification time in seconds, not following links.
qint64 mtimeOf(const QString &path);
// Every item below the folder as a relative path ("sub/" for folders), sorted.
QStringList filesBelow(const QString &folder);

} // namespace ReaderTestKit
