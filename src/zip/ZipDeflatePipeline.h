#pragma once

#include "util/TaskQueue.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct z_stream_s;

// Deflates the regular files of a zip being written on pool threads while the writing thread
// keeps the archive's entry order. Each file is cut into chunks deflated independently and
// joined by sync flushes into one deflate stream, so small
// files run side by side and a large file on every core. A fixed ring of chunk slots, reused
// from file to file, bounds the memory whatever the sizes.
class ZipDeflatePipeline {
public:
    // Where the writing thread puts the entries, in order.
    struct Output {
        // Opens a raw (already deflated) entry; false skips its data.
        std::function<bool(const QString &name, bool isLarge)> openEntry;
        // Appends deflated data; false skips the rest of the entry.
        std::function<bool(const QString &name, const char *data, std::size_t length)> write;
        // Closes the raw entry with the size and CRC of the data read.
        std::function<void(const QString &name, quint64 size, quint32 crc)> closeEntry;
        // The file could not be read to its end.
        std::function<void(const QString &name)> readFailed;
        // File bytes now in the archive.
        std::function<void(quint64 bytes)> progress;
        // Asked before every chunk; true stops everything still queued.
        std::function<bool()> isCancelled;
    };

    // Bytes of file data per chunk: a whole number of the 10240-byte steps progress counts in.
    // Chunks are deflated without the data before them, which costs a few hundred bytes per
    // chunk but can never tie one chunk's output to another read of the same file.
    static constexpr quint64 kChunkSize = quint64{100} * 10240;

    // As many chunks are deflated at once as the pool has threads.
    explicit ZipDeflatePipeline(Output output);
    // Drops the chunks not started and waits for the others; call finish first to write what
    // is queued.
    ~ZipDeflatePipeline();
    ZipDeflatePipeline(const ZipDeflatePipeline &) = delete;
    ZipDeflatePipeline &operator=(const ZipDeflatePipeline &) = delete;

    // Queues an entry that needs no deflating (a folder, a link): it runs on this thread once
    // every entry queued before it is written.
    void addAction(std::function<void()> write);
    // Queues a regular file of that size; the pipeline owns the descriptor from now on.
    void addFile(int fd, quint64 size, const QString &name, bool isLarge);
    // Writes everything queued.
    void finish();
    bool isCancelled() const { return cancelled_; }

private:
    struct SharedFile;
    struct Slot;
    struct Item;
    // A deflate stream with its input buffer, used by one task at a time.
    struct Deflater;

    // Writes queued entries from the oldest until the slot of that chunk number is free.
    void writeUntilFree(quint64 sequence);
    // Writes the oldest entry's next piece; false when nothing is queued.
    bool writeNext();
    void writeChunk(Item &item);
    // A pool task: deflates the chunk in the slot and marks it done.
    void runChunk(Slot &slot);
    static void deflateChunk(Slot &slot, Deflater &deflater);

    Output output_;
    std::vector<std::unique_ptr<Slot>> ring_;
    std::deque<Item> items_;
    // Number of the next chunk to be queued and of the next to be written.
    quint64 nextQueued_ = 0;
    quint64 nextWritten_ = 0;
    bool cancelled_ = false;

    // Guards the slots' states and the idle deflaters.
    std::mutex mutex_;
    // Signalled when a chunk is deflated.
    std::condition_variable changed_;
    // There are never more deflaters than tasks running at once.
    std::vector<std::unique_ptr<Deflater>> idleDeflaters_;
    // Last, so that its tasks end before anything they use goes.
    TaskQueue tasks_;
};
