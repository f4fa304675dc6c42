#include "zip/ZipDeflatePipeline.h"

#include "util/ThreadPool.h"

#include <cerrno>
#include <libdeflate.h>
#include <unistd.h>
#include <zlib.h>

namespace {

// Chunks in flight per thread: enough to keep every thread busy while the writer waits on one.
constexpr int kSlotsPerWorker = 4;
constexpr int kMemoryLevel = 8;
// How much more the last chunk of a file reads at a time once it reached the expected size.
constexpr quint64 kReadOnStep = quint64{64} * 1024;
// Room beyond deflateBound for the sync-flush marker.
constexpr std::size_t kFlushMargin = 16;
// zlib's default level, which libdeflate's matches in ratio.
constexpr int kWholeLevel = 6;

// Reads up to length bytes at the offset; fewer at the end of the file, negative on an error.
qint64 readAt(int fd, char *buffer, quint64 length, quint64 offset) {
    quint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, buffer + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += quint64(got);
    }
    return qint64(done);
}

} // namespace

struct ZipDeflatePipeline::SharedFile {
    explicit SharedFile(int descriptor)
        : fd(descriptor) {}
    ~SharedFile() { ::close(fd); }
    SharedFile(const SharedFile &) = delete;
    SharedFile &operator=(const SharedFile &) = delete;
    const int fd;
};

struct ZipDeflatePipeline::Slot {
    enum class State { Free, Queued, Done };
    State state = State::Free;
    std::shared_ptr<SharedFile> file;
    quint64 offset = 0;
    quint64 length = 0;
    bool isLast = false;
    // The result: deflated bytes (the vector keeps its capacity from chunk to chunk).
    std::vector<char> deflated;
    std::size_t deflatedLength = 0;
    quint64 readLength = 0;
    quint32 crc = 0;
    bool failed = false;
};

struct ZipDeflatePipeline::Deflater {
    Deflater()
        : input(kChunkSize)
        , whole(libdeflate_alloc_compressor(kWholeLevel)) {
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, kMemoryLevel,
                     Z_DEFAULT_STRATEGY);
    }
    ~Deflater() {
        deflateEnd(&stream);
        libdeflate_free_compressor(whole);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;
    z_stream stream{};
    std::vector<char> input;
    // For the last chunk of a file, which ends the deflate stream: libdeflate compresses a
    // whole buffer about twice as fast as zlib at the same ratio, but cannot stop without
    // ending the stream, so the chunks before keep zlib's sync flush.
    libdeflate_compressor *whole;
};

struct ZipDeflatePipeline::Item {
    // Set for an entry without data to deflate.
    std::function<void()> action;
    QString name;
    bool isLarge = false;
    quint64 firstChunk = 0;
    quint64 chunkCount = 0;
    quint64 chunksWritten = 0;
    bool opened = false;
    bool skipping = false;
    quint64 size = 0;
    quint32 crc = 0;
};

ZipDeflatePipeline::ZipDeflatePipeline(Output output)
    : output_(std::move(output))
    , tasks_({.width = ThreadPool::shared().width()}) {
    for (int index = 0; index < ThreadPool::shared().width() * kSlotsPerWorker; ++index)
        ring_.push_back(std::make_unique<Slot>());
}

ZipDeflatePipeline::~ZipDeflatePipeline() {
    tasks_.clear();
}

void ZipDeflatePipeline::addAction(std::function<void()> write) {
    Item item;
    item.action = std::move(write);
    items_.push_back(std::move(item));
    // Nothing waits on threads here, so an action runs as soon as it is the oldest entry.
    while (!cancelled_ && items_.front().action && writeNext()) {
    }
}

void ZipDeflatePipeline::addFile(int fd, quint64 size, const QString &name, bool isLarge) {
    const auto file = std::make_shared<SharedFile>(fd);
    Item item;
    item.name = name;
    item.isLarge = isLarge;
    item.firstChunk = nextQueued_;
    item.chunkCount = qMax<quint64>(1, (size + kChunkSize - 1) / kChunkSize);
    items_.push_back(item);
    for (quint64 chunk = 0; chunk < item.chunkCount; ++chunk) {
        writeUntilFree(nextQueued_);
        if (cancelled_)
            return;
        Slot &slot = *ring_[nextQueued_ % ring_.size()];
        {
            std::lock_guard lock(mutex_);
            slot.file = file;
            slot.offset = chunk * kChunkSize;
            slot.length = qMin(kChunkSize, size - qMin(size, slot.offset));
            slot.isLast = chunk + 1 == item.chunkCount;
            slot.state = Slot::State::Queued;
        }
        tasks_.post([this, &slot] { runChunk(slot); });
        ++nextQueued_;
    }
}

void ZipDeflatePipeline::finish() {
    while (writeNext()) {
    }
}

void ZipDeflatePipeline::writeUntilFree(quint64 sequence) {
    while (sequence - nextWritten_ >= ring_.size() && writeNext()) {
    }
}

bool ZipDeflatePipeline::writeNext() {
    if (items_.empty() || cancelled_)
        return false;
    Item &item = items_.front();
    if (item.action) {
        item.action();
        items_.pop_front();
        return true;
    }
    if (item.firstChunk + item.chunksWritten >= nextQueued_)
        return false;
    writeChunk(item);
    if (cancelled_) {
        items_.clear();
        return false;
    }
    if (item.chunksWritten == item.chunkCount) {
        if (item.opened)
            output_.closeEntry(item.name, item.size, item.crc);
        items_.pop_front();
    }
    return true;
}

void ZipDeflatePipeline::writeChunk(Item &item) {
    if (output_.isCancelled()) {
        // The entry being written is closed with what it holds, as a serial writer leaves it.
        cancelled_ = true;
        if (item.opened)
            output_.closeEntry(item.name, item.size, item.crc);
        return;
    }
    if (item.chunksWritten == 0) {
        item.opened = output_.openEntry(item.name, item.isLarge);
        item.skipping = !item.opened;
        item.crc = quint32(crc32(0, nullptr, 0));
    }
    Slot &slot = *ring_[nextWritten_ % ring_.size()];
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slot.state == Slot::State::Done; });
    }
    if (!item.skipping && slot.failed) {
        output_.readFailed(item.name);
        item.skipping = true;
    }
    if (!item.skipping) {
        if (output_.write(item.name, slot.deflated.data(), slot.deflatedLength)) {
            item.size += slot.readLength;
            item.crc = quint32(crc32_combine(item.crc, slot.crc, z_off_t(slot.readLength)));
            output_.progress(slot.readLength);
        } else {
            item.skipping = true;
        }
    }
    {
        std::lock_guard lock(mutex_);
        slot.state = Slot::State::Free;
        slot.file.reset();
    }
    ++item.chunksWritten;
    ++nextWritten_;
}

void ZipDeflatePipeline::runChunk(Slot &slot) {
    std::unique_ptr<Deflater> deflater;
    {
        std::lock_guard lock(mutex_);
        if (!idleDeflaters_.empty()) {
            deflater = std::move(idleDeflaters_.back());
            idleDeflaters_.pop_back();
        }
    }
    if (!deflater)
        deflater = std::make_unique<Deflater>();
    deflateChunk(slot, *deflater);
    std::lock_guard lock(mutex_);
    idleDeflaters_.push_back(std::move(deflater));
    slot.state = Slot::State::Done;
    changed_.notify_all();
}

void ZipDeflatePipeline::deflateChunk(Slot &slot, Deflater &deflater) {
    std::vector<char> &input = deflater.input;
    qint64 got = readAt(slot.file->fd, input.data(), slot.length, slot.offset);
    // The last chunk reads on to the real end: a file may have grown, and files of the kernel's
    // own file systems claim a size of 0.
    for (qint64 more = 1; slot.isLast && got == qint64(slot.length) && more > 0;) {
        const quint64 at = quint64(got);
        if (input.size() < at + kReadOnStep)
            input.resize(at + kReadOnStep);
        more = readAt(slot.file->fd, input.data() + at, kReadOnStep, slot.offset + at);
        got = more < 0 ? more : got + more;
        slot.length = quint64(qMax<qint64>(got, 0));
    }
    slot.failed = got < 0;
    slot.readLength = slot.failed ? 0 : quint64(got);
    slot.deflatedLength = 0;
    if (slot.failed)
        return;
    slot.crc = quint32(libdeflate_crc32(0, input.data(), slot.readLength));
    if (slot.isLast && deflater.whole) {
        const std::size_t bound =
            libdeflate_deflate_compress_bound(deflater.whole, slot.readLength);
        if (slot.deflated.size() < bound)
            slot.deflated.resize(bound);
        slot.deflatedLength =
            libdeflate_deflate_compress(deflater.whole, input.data(), slot.readLength,
                                        slot.deflated.data(), slot.deflated.size());
        slot.failed = slot.deflatedLength == 0;
        return;
    }
    z_stream_s &stream = deflater.stream;
    deflateReset(&stream);
    const std::size_t bound = deflateBound(&stream, uLong(slot.readLength)) + kFlushMargin;
    if (slot.deflated.size() < bound)
        slot.deflated.resize(bound);
    stream.next_in = reinterpret_cast<Bytef *>(input.data());
    stream.avail_in = uInt(slot.readLength);
    stream.next_out = reinterpret_cast<Bytef *>(slot.deflated.data());
    stream.avail_out = uInt(slot.deflated.size());
    // The bound leaves room for everything, so one call finishes the chunk.
    const int result = deflate(&stream, slot.isLast ? Z_FINISH : Z_SYNC_FLUSH);
    const bool complete = slot.isLast
                              ? result == Z_STREAM_END
                              : result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
    slot.failed = !complete;
    slot.deflatedLength = slot.deflated.size() - stream.avail_out;
}
