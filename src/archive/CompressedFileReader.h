#pragma once

#include "archive/ReaderBase.h"
#include "archive/TarReader.h"
#include "util/MemoryBlock.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QFile;
class StreamWindow;
class TaskQueue;
struct GrowingTar;

// What the gzip and bzip2 readers share: the archive is decompressed once, into memory when its
// decoded size is known up front and small beside the memory free, else into a temporary file
// (or nowhere, when an announced extraction leaves nothing to read it again); tar content is
// then read by a tar reader on that copy, anything else is one entry.
class CompressedFileReader : public ReaderBase {
public:
    using ReaderBase::ReaderBase;
    ~CompressedFileReader() override;

    void listEntries() override;
    void extract(const QString &destination) override;
    void extract(ArchiveEntry *entry, const QString &destination) override;
    // The reader's own error, else the tar reader's.
    std::optional<Error> archiveError() const override;
    // The tar reader's warnings (links, devices and names left out) after the reader's own.
    ArchiveWarnings warnings() const override;
    // Listing reports the compressed read position against the archive file's size.
    bool reportsListingProgress() const override { return true; }
    void setProgressReceiver(ProgressReceiver *delegate) override;
    void setFileEncoding(StringEncoding encoding) override;
    void setRestoresDates(bool value) override;
    // A stream cut short keeps the data before the cut: it is listed and extracted, and every
    // operation still reports the damage.
    bool keepsWhatWasRead() const override { return damage_.has_value(); }
    // A tar is then extracted by a second reader beside the first listing, as the data comes out
    // (after it, when the data comes out in one go).
    void extractWhileListing(const QString &destination) override {
        earlyDestination_ = destination;
    }

    // Reads the tar while it is being decompressed, on another thread.
    using TempFileFollower = std::function<void(const QString &path, const GrowingTar &growing)>;
    // Decompresses into memory or into tempFile() unless an earlier call already did so
    // completely, running the followers side by side while a temporary file is written. A failed
    // or cancelled decompression leaves no temporary file behind. With keep false and followers,
    // the data goes only to them (the followers read it once) and nothing is kept.
    bool generateTempFile(const std::vector<TempFileFollower> &followers = {}, bool keep = true);
    void removeTempFile();
    // The temporary file; empty while there is none, the data being in memory.
    QString tempFile() const { return tempFile_; }
    // The decompressed data's name ends in ".tar" (its content is not examined).
    bool namesTar() const;
    // The name of the decompressed file: the archive's name without its last extension, with
    // ".tar" added for the extensions that stand for a compressed tar.
    QString tempFileName() const;
    // Copies the decompressed data into the folder under a free name.
    void copyDecompressed(const QString &destination);

protected:
    // Extensions, lower-case, that name a compressed tar ("tgz").
    virtual QStringList tarExtensions() const = 0;
    // Decompresses the whole archive into the open output. On failure (or cancellation) it has
    // recorded the error and answers false.
    virtual bool decompress(QFile &output) = 0;
    // Decompresses the whole archive into memory when the decoded size is known up front and
    // fits (MemoryBlock::reserve); null, with nothing recorded, when decompress() is to run.
    // Not asked when the data goes only to followers.
    virtual std::unique_ptr<MemoryBlock> decompressToMemory() { return nullptr; }
    // Writes decompressed bytes and, once enough have been written since the last report,
    // reports the archive's read position. False (with the error recorded) when writing fails.
    bool writeDecompressed(QFile &output, const char *data, qint64 length, quint64 readPosition);
    // Counts decompressed bytes and, once enough have come since the last report, reports the
    // archive's read position.
    void reportDecompressed(qint64 length, quint64 readPosition);
    // Records that the compressed data ends before its stream does; what was decompressed up to
    // there is kept.
    void errorCutShort();

private:
    // Decompresses for the followers alone, through a window.
    bool streamToFollowers(const std::vector<TempFileFollower> &followers);
    // Starts each follower on a lane of its own, reading through its source; the queue's end
    // waits for them.
    std::unique_ptr<TaskQueue>
    startFollowers(const std::vector<TempFileFollower> &followers, const QString &path,
                   const std::function<GrowingTar(int follower)> &source);
    static bool isTarName(const QString &name);
    void listTarWhileDecompressing();
    bool isDecompressed() const { return staged_ || !tempFile_.isEmpty(); }
    // The decompressed data's path, or its name while it is in memory.
    QString decompressedName() const;
    TarReader *tarReader();
    std::unique_ptr<TarReader> makeTarReader(const QString &tarPath) const;

    // Decompression broke off after some data; kept as if complete, with this error.
    void reportDamage();

    QString tempFile_;
    std::unique_ptr<MemoryBlock> staged_;
    std::optional<Error> damage_;
    bool cutShort_ = false;
    std::unique_ptr<TarReader> tarManager_;
    // The whole extraction announced before the first listing, and the reader that did it then.
    QString earlyDestination_;
    std::unique_ptr<TarReader> earlyExtractor_;
    // Decompressed bytes written since the last position report.
    ProgressThrottle readProgress_{kProgressThreshold};
    // Set while a follower reads the temporary file: writes go through it.
    class TempFileFeed;
    TempFileFeed *feed_ = nullptr;
    // Set while the followers read the data through a window instead.
    StreamWindow *window_ = nullptr;
};
