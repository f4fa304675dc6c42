#pragma once

#include "util/FileOps.h"
#include "util/FolderLoopGuard.h"
#include "util/ProgressThrottle.h"
#include "util/ScanOptions.h"
#include "zip/WriteFailure.h"
#include "zip/ZipDeflatePipeline.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ProgressReceiver;

// Writes a new zip archive: folders as entries ending in "/", regular files deflated at the
// default level, symbolic links as link entries holding their target text. Every entry gets
// the time of writing and fixed Unix modes (folders 0755, files and links 0644). Files of
// 4 GiB and more, and archives of more than 65,534 entries, get zip64 records; names that are not
// plain ASCII are marked as UTF-8. Entries are named relative to a base folder; written bytes are
// reported in steps, and the writing thread's cancel mark stops the work. An archive is reported
// good only when every item was written in full; otherwise the partial archive is removed and
// failure says why.
class ZipWriter {
public:
    // Each item is stored at the top of the archive under its own name (relative to its own
    // parent folder). True when the archive at desPath is complete; on an error or a cancel
    // nothing is left at desPath and failure (when given) receives the reason.
    static bool
    zipFilesRelativeToParent(const QStringList &paths, ProgressReceiver *delegate,
                             const QString &desPath,
                             const std::optional<ScanOptions> &propertyOptions = std::nullopt,
                             WriteFailure *failure = nullptr, QStringList *leftOut = nullptr);
    // As above, with every entry named relative to the one base folder.
    static bool zipFiles(const QStringList &paths, ProgressReceiver *delegate,
                         const QString &desPath, const QString &relativeBase,
                         const std::optional<ScanOptions> &propertyOptions = std::nullopt);

    // Creates (or truncates) the archive file; failure says when that failed.
    explicit ZipWriter(const QString &zipPath,
                       const std::optional<ScanOptions> &propertyOptions = {},
                       ProgressReceiver *delegate = nullptr);
    // Finishes the archive when that has not been done.
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    // The folder that entry names are relative to.
    void setRelativeBase(const QString &relative) { relativeBase_ = relative; }
    // The entry name of a path: the text after the first case-insensitive occurrence of the
    // base, without leading or trailing "/"; empty when the base does not occur.
    QString relativePath(const QString &path) const;
    // A folder (links followed) with its contents, otherwise one file or link entry.
    void zip(const QString &path);
    // The folder entry, then the contents depth first; hidden children are left out when the
    // options ask for it. A link leading back into a folder being written is stored as a link.
    void zipFolder(const QString &path);
    // The folder entry alone; the base folder itself has none.
    void zipOnlyFolder(const QString &path);
    // One entry for a regular file or a symbolic link (dangling ones included); pipes, sockets
    // and devices are left out.
    void zipFileToDesFile(const QString &path);
    // Completes the archive. True when every item was written in full; after an error or a
    // cancel the partial archive is removed and false is returned.
    bool finish();

    // The last error; none until one happens.
    std::optional<QString> failure() const { return failure_; }
    // Files and folders ("name/") that could not be read and were left out of a written archive.
    const QStringList &leftOut() const { return leftOut_; }
    // Bytes written since the last progress report, carried from one file to the next.
    quint64 progressSize() const { return progress_.counted(); }

private:
    enum class FileType { Directory, SymbolicLink, Regular };
    // Written bytes are reported once more than this many have accumulated.
    static constexpr quint64 kProgressThreshold = 2048000;

    // Writes the items in order, each named relative to the base or, without a base, to its own
    // parent folder, then finishes the archive. Stops when the thread is cancelled.
    bool zipItems(const QStringList &paths, const std::optional<QString> &relative);
    // The checkpoint before every item and every buffer: true once the thread was cancelled.
    bool checkCancelled();
    bool hasFailed() const { return failure_.has_value(); }
    // cause is the errno of a failed write, if any.
    void setFailure(const QString &message, int cause = 0);
    static quint32 externalAttributes(FileType fileType);
    // Opens an entry; closes it at once when asked. isLarge asks for zip64 records, isRaw takes
    // data that is deflated already.
    bool zipOpenNewFile(const QString &name, bool needsClose, FileType fileType,
                        bool isLarge = false, bool isRaw = false);
    ZipDeflatePipeline::Output pipelineOutput();
    void zipCloseFile(const QString &name);
    void zipFolder(const QString &path, const FolderLoopGuard &above);
    void zipSymbolicLink(const QString &path, const QString &name);
    void zipRegularFile(const QString &path, const QString &name);

    const QString filePath_;
    const std::optional<ScanOptions> propertyOptions_;
    ProgressReceiver *const delegate_;
    QString relativeBase_;
    std::optional<QString> failure_;
    // A write failed for want of room.
    bool outOfSpace_ = false;
    QStringList leftOut_;
    ProgressThrottle progress_{kProgressThreshold};
    bool isCancelled_ = false;
    // The open minizip handle; none when creating failed or once finished.
    void *zipFile_ = nullptr;
    // Deflates files on every core and writes the entries in order; none without an archive.
    std::unique_ptr<ZipDeflatePipeline> pipeline_;
    QString realArchivePath_;
    // The file made, removed on failure only while it is still there.
    std::optional<FileIdentity> identity_;
};
