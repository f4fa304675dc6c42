#pragma once

#include "archive/ArchiveWarning.h"
#include "archive/FileWriteQueue.h"
#include "archive/SevenZipLayout.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sys/types.h>

class ProgressReceiver;
class LibarchiveInput;
class ParallelWalk;

// One walk over an archive read by libarchive that writes its entries below a destination: files
// go to a writing thread as they are decoded; hard links, symbolic links, folder permissions and
// dates follow once every file is written. A 7z solid block is decoded at most once.
class LibarchiveExtraction {
public:
    // How the walk went; encrypted content outranks the other problems.
    enum class Outcome { Done, Cancelled, Encrypted, Unwritable, Damaged };

    LibarchiveExtraction(const QString &destination, bool restoresDates,
                         ProgressReceiver *progress);

    // A folder made before the walk, given its stored permission (0 for none) and date with the
    // folders the walk makes.
    void addFolder(const QString &path, mode_t permission, const std::optional<QDateTime> &date);
    // A file or folder that could not be made: its path below the destination and the errno of
    // the failure.
    struct Unwritten {
        QString name;
        int error = 0;
    };

    // Records a file or folder that could not be made. One whose name is too long for the file
    // system does not change the outcome: the caller leaves it out with a warning.
    void noteUnwritable(const QString &path, int error);
    // Writes every entry under its own path, or with targets only the entries at those indexes
    // (the folders among them are the caller's) to the full paths given.
    Outcome run(LibarchiveInput &input, const QHash<quint64, QString> *targets);
    // The same with a worker for each range of entries, each decoding its own solid blocks with
    // an input of its own; the outcome is the one walk's over all of them.
    using OpenInput = std::function<std::unique_ptr<LibarchiveInput>()>;
    Outcome runParallel(const std::vector<EntryRange> &ranges, const OpenInput &open,
                        const QHash<quint64, QString> *targets);

    // The files and folders that could not be written, in the order they failed.
    const QList<Unwritten> &unwritten() const { return unwritten_; }
    // What was left out on purpose (links leading outside the destination, hard links to a file
    // not written by the walk, devices and pipes), by path below the destination.
    const ArchiveWarnings &leftOut() const { return leftOut_; }

private:
    struct Folder {
        QString path;
        mode_t permission;
        std::optional<QDateTime> date;
    };
    struct Link {
        QString path;
        QString target;
        std::optional<QDateTime> date;
    };
    // A hard link: a copy of the file it names, once both are written. Most formats store the
    // data with the first name; cpio's newc stores it with the last one, after empty earlier
    // names.
    struct HardLink {
        QString path;   // the entry's own, in the archive
        QString target; // where it is written
        QString source; // the path it names, in the archive
        bool carriesData;
        mode_t permission;
        std::optional<QDateTime> date;
    };
    enum class Copy { Done, Stopped, Damaged, Fatal };

    // One worker of a parallel run: walks the range only, reporting to the shared walk.
    LibarchiveExtraction(const LibarchiveExtraction &parent, ParallelWalk &walk, EntryRange range);

    // False when the walk must end: cancelled, or the archive cannot be read on.
    bool walk(LibarchiveInput &input, const QHash<quint64, QString> *targets);
    // Takes what a worker met and wrote as if this walk had.
    void absorb(LibarchiveExtraction &worker);
    void finishWalks();
    bool isCancelled() const;
    // The walk cannot go past this entry; nor can the other workers.
    void stopAt(quint64 index);
    bool take(LibarchiveInput &input, const QString &target);
    Copy copy(LibarchiveInput &input);
    void makeHardLinks(ExtractionOutput &output);
    // Writes a copy of a file the walk wrote; false (errno set) when it cannot.
    bool copyWritten(ExtractionOutput &output, const QString &from, const QString &to,
                     mode_t permission, const std::optional<QDateTime> &date);
    void makeLinks(ExtractionOutput &output);
    void restoreFolders();
    void note(Outcome outcome);

    QString destination_;
    bool restoresDates_;
    ProgressReceiver *progress_;
    // Set for a worker of a parallel run.
    ParallelWalk *parallel_ = nullptr;
    EntryRange range_;
    Outcome outcome_ = Outcome::Done;
    QList<Unwritten> unwritten_;
    QList<Folder> folders_;
    QList<Link> links_;
    QList<HardLink> hardLinks_;
    // The files written whole, by their path in the archive.
    QHash<QString, QString> written_;
    ArchiveWarnings leftOut_;
    std::vector<char> buffer_;
    FileWriteQueue files_;
};
