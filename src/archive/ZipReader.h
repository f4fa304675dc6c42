#pragma once

#include "archive/MiniZipFile.h"
#include "archive/ReaderBase.h"
#include "archive/ZipEntryInfo.h"
#include "archive/ZipParallelExtractor.h"

#include <QList>
#include <QPair>

#include <functional>
#include <memory>

class ZipEntryFileWriter;
class ZipEntryStream;
class ZipLibarchiveDecoder;
class UniqueEntryPaths;

// Reads zip (and cbz) archives: minizip lists every entry and extracts stored and deflated
// ones; libarchive decodes encrypted entries and the other methods, inside the same loops, with
// the same progress, cancellation, dates, permissions and errors.
class ZipReader : public ReaderBase {
public:
    ZipReader(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
              const QString &password, StringEncoding fileEncoding = kAutomaticEncoding);
    ~ZipReader() override;

    void listEntries() override;
    void extract(const QString &destination) override;
    void extract(ArchiveEntry *entry, const QString &destination) override;
    // True when any entry is encrypted; asked once, then cached.
    bool isEncrypted() override;
    // Collects the names that do not declare UTF-8 (up to 1 MiB) and detects their encoding,
    // looking for DOS and Windows code pages when most of them were written there.
    void detectNameEncoding() override;

private:
    // How a walk over the entries ended.
    enum class Walk { Finished, Stopped, Cancelled, Unreadable };
    // Folders extracted, with the dates they get once everything inside them is written.
    using FolderDates = QList<QPair<QString, QDateTime>>;

    // Opens the archive positioned on its first entry; records codes 1 and 2. False without an
    // error for an archive of no entries.
    bool openArchive();
    void closeArchive();
    // Visits the entries from the current one while the visitor answers true.
    Walk walkEntries(const std::function<bool(const ZipEntryInfo &)> &visit);
    void recordWalkError(Walk walk);

    // The entry's path: its declared UTF-8 name unless an encoding was chosen, else the name
    // decoded with the chosen or detected encoding; backslash separators become "/".
    std::optional<QString> entryPath(const ZipEntryInfo &info) const;
    // The path listing shows and extraction writes: sanitized, folders ending in "/"; empty
    // for a name that cannot be decoded, none for one that names no item (such as "../").
    std::optional<QString> listedPath(const ZipEntryInfo &info) const;
    // The listed path, under a free name when an earlier file took it; none for entries left
    // out.
    std::optional<QString> pathOfEntry(const ZipEntryInfo &info, UniqueEntryPaths &paths) const;
    // A link entry's target as listing shows it; null for other entries and unreadable links.
    QString readLinkTarget(const ZipEntryInfo &info);
    std::optional<QString> decodeLinkTarget(const QByteArray &bytes,
                                            const ZipEntryInfo &info) const;

    // What one step of the whole-archive extraction hands regular files to.
    struct ParallelStep {
        ZipParallelExtractor &parallel;
        const ZipParallelExtractor::Tick &tick;
        quint64 order;
    };
    // One step of the whole-archive extraction: folders are made here, regular files written by
    // the parallel threads, anything else here once the threads are done. False stops it.
    bool extractEntry(const ZipEntryInfo &info, const QString &fullPath, const QString &destination,
                      FolderDates &dates, const ParallelStep &step);
    // Waits for the threads and records their last failure as this reader's error.
    void finishParallel(ZipParallelExtractor &parallel, const ZipParallelExtractor::Tick &tick);
    bool extractNode(const ArchiveEntry *node, const QString &destination,
                     const QString &relativePath, FolderDates &dates);
    bool extractNodeFile(const ArchiveEntry *node, const QString &destination,
                         const QString &fullPath);
    // Writes the entry at the full path; false only when its data cannot be opened at all.
    bool extractFile(const QString &destination, const QString &fullPath, const ZipEntryInfo &info);
    ZipEntryStream *openStream(const ZipEntryInfo &info);
    void writeFile(const QString &destination, const QString &fullPath, const ZipEntryInfo &info,
                   ZipEntryStream &stream);
    void writeLink(const QString &destination, const QString &fullPath, const ZipEntryInfo &info,
                   ZipEntryStream &stream);
    void makeFolder(const QString &destination, const QString &fullPath,
                    const std::optional<QDateTime> &date, FolderDates &dates);
    static void applyFolderDates(const FolderDates &dates);
    // Records a missing password for an encrypted entry with data when none was given; true
    // then, and the entry is not written.
    bool needsMissingPassword(const ZipEntryInfo &info, const QString &name);

    MiniZipFile zip_;
    std::unique_ptr<ZipLibarchiveDecoder> decoder_;
    // Writes the entries extracted on the reader's own thread; made once, with its buffer.
    std::unique_ptr<ZipEntryFileWriter> fileWriter_;
    bool fileWriterDates_ = true;
};
