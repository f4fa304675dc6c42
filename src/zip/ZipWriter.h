#pragma once

#include "util/FolderLoopGuard.h"
#include "zip/ZipBase.h"
#include "zip/ZipDeflatePipeline.h"

#include <memory>

// Writes a new zip archive: folders as entries ending in "/", regular files deflated at the
// default level, symbolic links as link entries holding their target text. Every entry gets
// the time of writing and fixed Unix modes (folders 0755, files and links 0644). Files of
// 4 GiB and more get zip64 records; names that are not plain ASCII are marked as UTF-8.
class ZipWriter : public ZipBase {
public:
    // Each item is stored at the top of the archive under its own name (relative to its own
    // parent folder). True when the archive at desPath is complete; on an error or a cancel
    // nothing is left at desPath and failure (when given) receives the reason.
    static bool
    zipFilesRelativeToParent(const QStringList &paths, ProgressReceiver *delegate,
                             const QString &desPath,
                             const std::optional<ScanOptions> &propertyOptions = std::nullopt,
                             QString *failure = nullptr);
    // As above, with every entry named relative to the one base folder.
    static bool zipFiles(const QStringList &paths, ProgressReceiver *delegate,
                         const QString &desPath, const QString &relativeBase,
                         const std::optional<ScanOptions> &propertyOptions = std::nullopt);

    // Creates (or truncates) the archive file; failure says when that failed.
    explicit ZipWriter(const QString &zipPath,
                       const std::optional<ScanOptions> &propertyOptions = {},
                       ProgressReceiver *delegate = nullptr);
    // Finishes the archive when that has not been done.
    ~ZipWriter() override;

    // A folder (links followed) with its contents, otherwise one file or link entry.
    void zip(const QString &path) override;
    // The folder entry, then the contents depth first; hidden children are left out when the
    // options ask for it. A link leading back into a folder being written is stored as a link.
    void zipFolder(const QString &path);
    // The folder entry alone; the base folder itself has none.
    void zipOnlyFolder(const QString &path);
    // One entry for a regular file or a symbolic link (dangling ones included); pipes, sockets
    // and devices are left out.
    void zipFileToDesFile(const QString &path);
    bool finish() override;

private:
    enum class FileType { Directory, SymbolicLink, Regular };

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
    void removeArchive() const;

    // The open minizip handle; none when creating failed or once finished.
    void *zipFile_ = nullptr;
    // Deflates files on every core and writes the entries in order; none without an archive.
    std::unique_ptr<ZipDeflatePipeline> pipeline_;
    QString realArchivePath_;
};
