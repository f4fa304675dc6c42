#pragma once

#include "archive/ArchiveWarning.h"
#include "util/Error.h"

#include <QList>
#include <QString>

#include <optional>

class ArchiveReader;
class QFileInfo;
class ArchiveEntry;

// One extraction of a listed archive: the reader writes into a hidden staging folder inside the
// target folder, then the result moves to a free name beside it, so nothing that exists is ever
// replaced and a failed or cancelled extraction leaves nothing behind. run() works on the calling
// thread (a worker) and stops at the thread's cancel mark.
class ExtractionJob {
public:
    struct Outcome {
        QString placedPath; // the extracted file or folder; null when nothing was placed
        std::optional<Error> error;
        bool cancelled = false;
        // What was left out of a successful extraction.
        ArchiveWarnings warnings;
    };

    // selection: entries sharing one parent; empty for the whole archive.
    ExtractionJob(ArchiveReader &reader, const ArchiveEntry &rootEntry, const QString &archivePath,
                  const QList<ArchiveEntry *> &selection = {});

    // Makes the hidden staging folder ".<UUID>" in the target; null when it cannot be made.
    static QString resetDestination(const QString &target);
    // Bytes the extraction writes: the selection's totals, or the whole tree's.
    quint64 totalSize() const;
    bool isWholeArchive() const { return selection_.isEmpty(); }

    Outcome run(const QString &staging, const QString &password);

private:
    // Extracts one entry of a selection of several into a folder of its own, then moves the
    // result into the staging folder under a free name: two entries of one name are both kept.
    void extractBeside(ArchiveEntry *entry, const QString &staging);
    // Moves the item into the folder under its first free name; null when it cannot be moved.
    static QString placeItem(const QFileInfo &item, const QString &folder);
    // Moves what the staging folder holds into its parent under a free name, then removes it.
    Outcome moveDestination(const QString &staging) const;
    QString nameForSeveralItems() const;

    ArchiveReader &reader_;
    const ArchiveEntry &rootEntry_;
    QString archivePath_;
    QList<ArchiveEntry *> selection_;
    std::optional<Error> placementError_;
    ArchiveWarnings warnings_;
};
