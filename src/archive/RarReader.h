#pragma once

#include "archive/ArchiveEntry.h"
#include "archive/ReaderBase.h"
#include "util/Error.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sys/types.h>

class FileWriteQueue;
class QTimeZone;
class ParallelWalk;
struct RARHeaderDataEx;
struct RAROpenArchiveDataEx;

// A header's name as the library gives it, kept once the library has moved to the next header.
struct RarEntryName {
    QByteArray bytes; // the single-byte name
    QString wide;     // the archive's Unicode name; empty when it stores bytes only
};

// Reads RAR archives (also cbr files; RAR4 and RAR5, encrypted data, encrypted headers and
// multi-volume sets opened from any of their volumes) through the RAR library. The library
// decompresses and decrypts, handing the data over through its callback; the reader decides what
// goes where under its own decoded names and writes everything through its output, so the
// library never creates a file, link or mode by itself.
class RarReader : public ReaderBase {
public:
    RarReader(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
              const QString &password, StringEncoding fileEncoding = kAutomaticEncoding);
    ~RarReader() override;

    // No epoch: entry dates come from MS-DOS values.
    void initialize() override;
    // Lists every header once; folder headers become folders, split parts show once. When the
    // library asks for a password to read the headers, hasEncryptedNames becomes true.
    void listEntries() override;
    // Extracts everything into the folder, keeping names inside it. Headers whose names end in
    // "", "." or ".." (the destination itself, or a folder) are skipped. The files of a
    // non-solid archive are extracted on several threads, each with a library handle of its own.
    void extract(const QString &destination) override;
    void extract(ArchiveEntry *entry, const QString &destination) override;
    // True when an entry is encrypted or the library asked for a password; cached.
    bool isEncrypted() override;
    // Detects the encoding of the single-byte names that listing gathered (up to 1 MiB of them).
    void detectNameEncoding() override;

    // Extracts the node (a folder with everything below it) into the destination, at its path
    // relative to the base, in one pass over the archive. 0 on success, -1 on failure.
    int extractNode(ArchiveEntry *entry, const QString &destination, const QString &relativePath);

    using ReaderBase::decodeName;
    // The header's name: a chosen encoding decodes the single-byte name; otherwise the Unicode
    // name wins, then the detected encoding, then detection of the name alone.
    std::optional<QString> decodeName(const RARHeaderDataEx &entry) const;
    std::optional<QString> decodeName(const RarEntryName &name) const;

    static QDateTime dosDateTime(quint32 value);
    // Fields out of range carry over as calendar components do (month 0 is December before).
    static QDateTime dosDateTime(quint32 value, const QTimeZone &timeZone);

    // The library asked for a password, or an encrypted entry was seen; stays set.
    bool containsPassword() const { return containsPassword_; }
    // The archive opened last is one volume of a multi-volume set.
    bool isVolume() const;

private:
    // A file of the selection, by its name in the archive.
    struct Target {
        const ArchiveEntry *node;
        QString fullPath;
    };
    // Folders extracted, with the dates they get once everything inside them is written.
    using FolderDates = QList<QPair<QString, std::optional<QDateTime>>>;

    // Where the data of the entry being processed goes.
    enum class DataSink { None, File, Queue, Link };

    // What an extraction makes of a header. Every worker of a parallel extraction plans every
    // header, so that all of them agree on the selection and on who writes what.
    struct Step {
        enum class Kind { Skip, Folder, File, Unnamed };
        Kind kind = Kind::Skip;
        QString fullPath;
        // The name errors give.
        QString name;
        std::optional<QDateTime> date;
        // The last file of a selection: the walk ends after it.
        bool last = false;
    };
    // A worker's error or warnings, by the header they came at.
    struct Outcome {
        qint64 header;
        std::optional<Error> error;
        ArchiveWarnings warnings;
    };

    static int libraryCallback(unsigned int msg, long userData, long p1, long p2);

    bool openArchive(const QString &path, unsigned int mode);
    void closeArchive();
    // Reads header after header and hands each to the visitor, which must process or skip the
    // entry and answers the library's result. Answers what ended the walk: the library's last
    // result (ERAR_END_ARCHIVE after the last header) or one of the walk's own ends.
    int walkHeaders(const std::function<int(const RARHeaderDataEx &)> &visit);
    int skipEntry();
    // Records code 100 or 4 for a walk that did not end at the end of the archive.
    void recordWalkEnd(int result);

    // What listing keeps of a header until the names' encoding is known.
    struct ListedHeader {
        RarEntryName name;
        EntryFields fields;
        bool isFolder;
    };
    // Dates are read in the given zone, looked up once per listing.
    static ListedHeader listedHeader(const RARHeaderDataEx &entry, const QTimeZone &localZone);
    std::unique_ptr<ArchiveEntry> entryFromHeader(const ListedHeader &header) const;
    void collectTargets(const ArchiveEntry *node, const QString &destination,
                        const QString &relativePath, QHash<QString, Target> &files,
                        FolderDates &folders);
    // Extracts the open archive's entries (the selection's files when given, else everything)
    // and closes it, recording the walk's end and the files the archive did not hold.
    void extractOpened(const QString &destination, QHash<QString, Target> *files,
                       FolderDates &folders);
    // The same on several threads, with a reader of the same archive for each.
    void extractInParallel(const QString &destination, QHash<QString, Target> *files,
                           FolderDates &folders, int workers);
    // One worker's part: opens the archive, walks it and keeps its outcomes.
    int runWorker(const QString &destination, QHash<QString, Target> *files, FolderDates &folders);
    // Walks the headers, extracting what the plan makes of the ones this walker writes.
    int walkPlanned(const QString &destination, QHash<QString, Target> *files,
                    FolderDates &folders);
    // What the header's entry becomes; takes a selected file out of the files still wanted.
    Step plan(const RARHeaderDataEx &entry, const QString &destination,
              QHash<QString, Target> *files) const;
    // The worker that writes the step's entry: files go to the one with the fewest bytes so far.
    int ownerOf(const Step &step, const RARHeaderDataEx &entry);
    // Notes the path of an entry another worker writes.
    void noteOthers(const Step &step);
    // True when the entry must wait for the other workers: it copies a file written before, or
    // its path meets the path of an entry another worker writes.
    bool mustWait(const Step &step, const RARHeaderDataEx &entry) const;
    int perform(const Step &step, const RARHeaderDataEx &entry, const QString &destination,
                FolderDates &folders);
    // Moves the error and warnings recorded so far into the worker's outcomes.
    void keepOutcome(qint64 header);
    // The thread's cancel mark, or the parallel extraction's cancel.
    bool isCancelled() const;
    // Cancelled, or (for a worker) past the header where a walk ended.
    bool isStopped() const;
    // Counts decoded bytes for the progress.
    void countWritten(quint64 bytes);
    // Writes the header's entry (file, link or hard-link copy) at fullPath below the destination
    // through the output, the data coming from the library in test mode; answers the library's
    // result or kWalkWriteFailed once a failure to write is recorded.
    int writeEntry(const QString &destination, const QString &fullPath,
                   const RARHeaderDataEx &entry, const std::optional<QDateTime> &date);
    // Writes a file's data through the queue; a failure to write comes back later.
    int writeQueued(const RARHeaderDataEx &entry, const QString &fullPath, const QString &name,
                    mode_t stored, const std::optional<QDateTime> &date);
    // Waits for the queued writes, before something that must find them done.
    void settleWrites();
    // Runs the library over the current entry in test mode with its data going to sink; the
    // entry, when given, is a file whose data may end the run early (stopsAtDataEnd).
    int processData(DataSink sink, const RARHeaderDataEx *entry = nullptr);
    // After a file the library reads the next header and seeks back to it. With a quick-open
    // record in the archive, that seek makes it read the record again from its start, so an
    // extraction costs the square of the number of files. A file of a non-solid archive is
    // therefore stopped after its last byte and skipped, its CRC checked here; not encrypted
    // ones (their CRC is keyed), nor parts of a file split over volumes.
    bool stopsAtDataEnd(const RARHeaderDataEx &entry) const;
    // Counts a piece of the file's data into the check; true once the whole data has come.
    bool reachesDataEnd(const char *data, qint64 length);
    // The target of a link entry: the header's redirection, or for older archives the data.
    std::optional<QString> linkTarget(const RARHeaderDataEx &entry, int &result);
    // Copies a file written earlier in this extraction to the open output.
    bool copyWritten(const QString &source);
    // Called with each piece of data the library decoded; false stops the library.
    bool receiveData(const char *data, qint64 length);
    void applyFolderDates(const FolderDates &folders) const;
    static std::optional<QDateTime> entryDate(const RARHeaderDataEx &entry);

    void *handle_ = nullptr;
    std::unique_ptr<RARHeaderDataEx> header_;
    std::unique_ptr<RAROpenArchiveDataEx> flags_;
    QByteArray arcName_;
    unsigned int archiveFlags_ = 0;
    bool containsPassword_ = false;
    DataSink sink_ = DataSink::None;
    // The data of the file stopped at its end: its size and CRC by the header, what came.
    struct DataCheck {
        quint64 size = 0;
        quint32 expectedCrc = 0;
        quint64 received = 0;
        quint32 crc = 0;
        bool complete = false;
    };
    std::optional<DataCheck> dataCheck_;
    bool writeFailed_ = false;
    QByteArray linkData_;
    // The entry being written and a volume the library could not find, for the errors.
    QString currentName_;
    QString missingVolume_;
    // Receives the header's redirection target (links, hard links and copies).
    std::vector<wchar_t> redirName_;

    // A worker of a parallel extraction: the shared walk and the worker's number.
    ParallelWalk *walk_ = nullptr;
    int worker_ = 0;
    // The header being processed, counted from 0; after a walk, the header it ended at.
    qint64 headerIndex_ = 0;
    // The bytes of the files given to each worker so far.
    std::vector<quint64> loads_;
    // Paths other workers write since this one last waited for them, and their folders.
    QSet<QString> othersPaths_;
    QSet<QString> othersFolders_;
    std::vector<Outcome> outcomes_;
    // Set while one walk extracts everything: its files are written on a strand beside the
    // decoding. A file that failed for want of space stops the walk at the next header.
    FileWriteQueue *writes_ = nullptr;
    bool diskFull_ = false;
};
