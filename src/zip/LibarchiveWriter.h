#pragma once

#include "util/FileOps.h"
#include "util/ProgressThrottle.h"
#include "util/ScanOptions.h"
#include "zip/WriteFailure.h"
#include "zip/WriteFormats.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <sys/types.h>

struct archive;
class ProgressReceiver;
class XzOutput;

// What the items to write hold, as far as a scan before the writing knows (zeros: unknown); it
// helps the compressor share its work between the cores.
struct ExpectedContent {
    quint64 bytes = 0;
    quint64 items = 0;
};

// Writes a new tar (plain, gzip, bzip2, xz or zstd compressed, in the pax restricted format) or
// 7z (LZMA2) archive through libarchive. Entries keep what the disk holds: modes, owners, times,
// symbolic links as links (never followed), folders, empty ones too; names are the file system's
// bytes, which libarchive takes in the thread's character type: a caller whose locale is not
// UTF-8 holds a Utf8CtypeScope while writing (CompressionJob does). xz and zstd compress on every
// core; for 7z, libarchive holds the packed data in an unlinked file in TMPDIR until the archive is
// closed. Unreadable files and folders are left out and named; the writing thread's cancel mark
// stops the work. An archive is reported good only when every item was written in full; otherwise
// the partial archive is removed and failure says why.
class LibarchiveWriter {
public:
    // Each item is stored at the top of the archive under its own name. True when the archive at
    // desPath is complete; on an error or a cancel nothing is left at desPath and failure (when
    // given) receives the reason. The format is any but zip.
    static bool writeFilesRelativeToParent(WriteFormat format, const QStringList &paths,
                                           ProgressReceiver *delegate, const QString &desPath,
                                           const std::optional<ScanOptions> &options,
                                           WriteFailure *failure, QStringList *leftOut,
                                           ExpectedContent expected = {});

    // Creates the archive file, which must not exist yet; failure says when that failed.
    LibarchiveWriter(WriteFormat format, const QString &archivePath,
                     const std::optional<ScanOptions> &options, ProgressReceiver *delegate,
                     ExpectedContent expected = {});
    // Finishes the archive when that has not been done.
    ~LibarchiveWriter();
    LibarchiveWriter(const LibarchiveWriter &) = delete;
    LibarchiveWriter &operator=(const LibarchiveWriter &) = delete;

    // The item (a folder with its contents) under the entry name.
    void add(const QString &path, const QString &name);
    // Completes the archive. True when every item was written in full; after an error or a
    // cancel the partial archive is removed and false is returned.
    bool finish();

    // The first error; none until one happens.
    std::optional<QString> failure() const { return failure_; }
    // Files and folders ("name/") that could not be read and were left out.
    const QStringList &leftOut() const { return leftOut_; }
    // Whether the library took the option to compress on every core (xz and zstd only).
    bool isThreaded() const { return threaded_; }

private:
    // Written bytes are reported once more than this many have accumulated.
    static constexpr quint64 kProgressThreshold = 2048000;

    bool setUp(WriteFormat format);
    // Opens the archive on the file, through xz_ when that compresses.
    bool open();
    bool checkCancelled();
    bool hasFailed() const { return failure_.has_value(); }
    void fail(const char *key, const QString &name);
    // The entry header from the item's status; false (with failure set) when it was refused.
    bool writeHeader(const QString &name, const struct stat &st, const QByteArray &linkTarget);
    void addFolder(const QString &path, const QString &name, const struct stat &st);
    void addFile(const QString &path, const QString &name);
    void addLink(const QString &path, const QString &name, const struct stat &st);

    const QString filePath_;
    const std::optional<ScanOptions> options_;
    ProgressReceiver *const delegate_;
    std::optional<QString> failure_;
    // The library's write failed for want of room.
    bool outOfSpace_ = false;
    QStringList leftOut_;
    ProgressThrottle progress_{kProgressThreshold};
    bool isCancelled_ = false;
    bool threaded_ = false;
    const ExpectedContent expected_;
    int fd_ = -1;
    // xz is compressed here, not by libarchive: see XzOutput.
    std::unique_ptr<XzOutput> xz_;
    // The archive file itself, never added to itself, and removed only while it is still there.
    std::optional<FileIdentity> identity_;
    struct archive *archive_ = nullptr;
    // Looks up (and caches) the user and group names stored beside the numeric owners.
    struct archive *ownerNames_ = nullptr;
};
