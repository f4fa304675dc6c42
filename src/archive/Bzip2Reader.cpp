#include "archive/Bzip2Reader.h"

#include "archive/Bzip2Blocks.h"
#include "util/Cancellation.h"
#include "util/TaskQueue.h"
#include "util/ThreadPool.h"

#include <QFile>
#include <QMutexLocker>

#include <condition_variable>
#include <mutex>

#include <bzlib.h>

namespace {

constexpr int kReadSize = 65536;
// Smaller files decode in about the time splitting them would take.
constexpr qint64 kParallelMinimum = 2 * 1024 * 1024;
// No block's coded data is longer: at most 900 kB go in, and even with its Huffman codes at their
// worst it comes out at well under 10 bits a byte.
constexpr quint64 kLongestBlockBits = quint64{1250000} * 8;

// One block's decoding on the pool, collected by the writing thread in file order.
struct BlockJob {
    std::optional<QByteArray> data;
    bool done = false;
};

// Closes a stream handle on every path out of the decoding of one stream.
class ReadStream {
public:
    ReadStream(FILE *file, const QByteArray &leftover) {
        handle = BZ2_bzReadOpen(&status, file, 0, 0, const_cast<char *>(leftover.constData()),
                                int(leftover.size()));
    }
    ~ReadStream() {
        int closeStatus = BZ_OK;
        BZ2_bzReadClose(&closeStatus, handle);
    }
    ReadStream(const ReadStream &) = delete;
    ReadStream &operator=(const ReadStream &) = delete;

    BZFILE *handle = nullptr;
    int status = BZ_OK;
};

} // namespace

Bzip2Reader::~Bzip2Reader() {
    closeArchive();
}

bool Bzip2Reader::openArchive() {
    file_ = std::fopen(QFile::encodeName(filePath()).constData(), "rb");
    if (!file_) {
        errorFailedOpenFile();
        return false;
    }
    return true;
}

void Bzip2Reader::closeArchive() {
    QMutexLocker locker(&closeLock_);
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

bool Bzip2Reader::decompress(QFile &output) {
    if (const auto done = decompressInParallel(output))
        return *done;
    if (!openArchive())
        return false;
    QByteArray leftover;
    bool complete = true;
    for (bool isFirst = true; complete && hasMoreInput(leftover); isFirst = false) {
        const StreamEnd end = decompressStream(output, leftover, isFirst);
        complete = end != StreamEnd::Failed;
        // Data after the last stream that is no bzip2 stream is ignored, as bzip2 itself does.
        if (end == StreamEnd::TrailingData)
            break;
    }
    closeArchive();
    return complete;
}

std::optional<bool> Bzip2Reader::decompressInParallel(QFile &output) {
    QFile archive(filePath());
    if (ThreadPool::shared().width() < 2 || !archive.open(QIODevice::ReadOnly) ||
        archive.size() < kParallelMinimum)
        return std::nullopt;
    const auto size = quint64(archive.size());
    const uchar *data = archive.map(0, archive.size());
    if (!data)
        return std::nullopt;
    const auto found = Bzip2Blocks::find(data, size);
    if (!found || found->empty())
        return std::nullopt;
    const std::vector<Bzip2Blocks::Block> &blocks = *found;

    std::vector<BlockJob> jobs(blocks.size());
    std::mutex mutex;
    std::condition_variable doneChanged;
    const int width = ThreadPool::shared().width();
    TaskQueue decoding(TaskQueue::Options{.width = width});
    // The blocks decoded ahead of the writing are bounded, and so is the memory they hold.
    const size_t ahead = size_t(width) * 2;
    size_t posted = 0;
    const auto postUpTo = [&](size_t end) {
        for (; posted < qMin(end, blocks.size()); ++posted)
            decoding.post([&, index = posted] {
                auto decoded = Bzip2Blocks::decode(data, size, blocks[index], blocks[index]);
                std::lock_guard lock(mutex);
                jobs[index].data = std::move(decoded);
                jobs[index].done = true;
                doneChanged.notify_all();
            });
    };
    // Every path out waits for the running tasks, which use the jobs and the mapping.
    const auto finish = [&](bool complete) {
        decoding.clear();
        decoding.wait();
        return complete;
    };

    quint32 streamCrc = 0;
    for (size_t index = 0; index < blocks.size();) {
        // Blocks joined to the one before need no decoding of their own.
        posted = qMax(posted, index);
        postUpTo(index + ahead);
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return finish(false);
        }
        std::optional<QByteArray> decoded;
        {
            std::unique_lock lock(mutex);
            doneChanged.wait(lock, [&] { return jobs[index].done; });
            decoded = std::move(jobs[index].data);
        }
        // A block that does not decode may end at a chance match of the block magic inside its
        // data: joined with the blocks after it, it decodes. A damaged one never does, so the
        // joining stops at the longest a block can be.
        size_t last = index;
        while (!decoded && blocks[last].endsAtBlock &&
               blocks[last + 1].end - blocks[index].start <= kLongestBlockBits) {
            ++last;
            decoded = Bzip2Blocks::decode(data, size, blocks[index], blocks[last]);
        }
        if (!decoded) {
            if (blocks[last].end == size * 8)
                errorCutShort();
            else
                errorArchive();
            return finish(false);
        }
        streamCrc =
            Bzip2Blocks::combineCrc(streamCrc, Bzip2Blocks::blockCrc(data, size, blocks[index]));
        if (!writeDecompressed(output, decoded->constData(), decoded->size(), blocks[last].end / 8))
            return finish(false);
        if (const auto expected = blocks[last].streamCrc) {
            if (*expected != streamCrc) {
                errorArchive();
                return finish(false);
            }
            streamCrc = 0;
        }
        index = last + 1;
    }
    // The data ends inside a stream: what decoded is kept, and the cut reported.
    if (!blocks.back().streamCrc) {
        errorCutShort();
        return finish(false);
    }
    return finish(true);
}

Bzip2Reader::StreamEnd Bzip2Reader::decompressStream(QFile &output, QByteArray &leftover,
                                                     bool isFirst) {
    ReadStream stream(file_, leftover);
    if (stream.status != BZ_OK) {
        errorArchive();
        return StreamEnd::Failed;
    }
    QByteArray buffer(kReadSize, Qt::Uninitialized);
    do {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return StreamEnd::Failed;
        }
        const int got = BZ2_bzRead(&stream.status, stream.handle, buffer.data(), kReadSize);
        if ((stream.status == BZ_OK || stream.status == BZ_STREAM_END) && got > 0 &&
            !writeDecompressed(output, buffer.constData(), got, quint64(ftello(file_))))
            return StreamEnd::Failed;
    } while (stream.status == BZ_OK);
    if (stream.status == BZ_DATA_ERROR_MAGIC && !isFirst)
        return StreamEnd::TrailingData;
    if (stream.status == BZ_UNEXPECTED_EOF) {
        errorCutShort();
        return StreamEnd::Failed;
    }
    if (stream.status != BZ_STREAM_END) {
        errorArchive();
        return StreamEnd::Failed;
    }
    void *unused = nullptr;
    int unusedCount = 0;
    BZ2_bzReadGetUnused(&stream.status, stream.handle, &unused, &unusedCount);
    leftover = QByteArray(static_cast<const char *>(unused), unusedCount);
    return StreamEnd::Ended;
}

bool Bzip2Reader::hasMoreInput(const QByteArray &leftover) {
    if (!leftover.isEmpty())
        return true;
    const int next = std::fgetc(file_);
    if (next == EOF)
        return false;
    std::ungetc(next, file_);
    return true;
}
