#include "archive/GzipReader.h"

#include "archive/GzipStream.h"
#include "util/Cancellation.h"
#include "util/MemoryBlock.h"

#include <QFile>
#include <QtEndian>

#include <functional>
#include <vector>

namespace {
// The decoded data goes on in pieces of this size: progress and a cancel come between them.
constexpr qint64 kPieceSize = 128 * 1024;
// The trailer gives the length modulo 4 GiB: a file it understates fills the memory before the
// stream reads it again, so the guess is taken only for sizes whose loss stays small.
constexpr qint64 kWholeMemberLimit = qint64{512} * 1024 * 1024;
// A gzip member's header and trailer take at least this many bytes.
constexpr qint64 kShortestMember = 18;
// Deflate never makes one byte into more than this many: a trailer claiming more is damage, and
// no room is reserved for it.
constexpr qint64 kLargestRatio = 1032;

// Into a block of memory, in pieces.
class BlockSink : public GzipStream::Sink {
public:
    BlockSink(MemoryBlock &block, std::function<void(qint64, quint64)> report)
        : block_(block)
        , report_(std::move(report)) {}
    std::span<char> room() override {
        return {block_.data() + filled_, std::size_t(qMin(kPieceSize, block_.size() - filled_))};
    }
    bool take(qint64 length, quint64 readPosition) override {
        filled_ += length;
        report_(length, readPosition);
        return !isCurrentThreadCancelled();
    }
    qint64 filled() const { return filled_; }

private:
    MemoryBlock &block_;
    const std::function<void(qint64, quint64)> report_;
    qint64 filled_ = 0;
};

// Through a buffer into the decompressed file, or the followers.
class WriteSink : public GzipStream::Sink {
public:
    explicit WriteSink(std::function<bool(const char *, qint64, quint64)> write)
        : buffer_(std::size_t(kPieceSize))
        , write_(std::move(write)) {}
    std::span<char> room() override { return buffer_; }
    bool take(qint64 length, quint64 readPosition) override {
        return !isCurrentThreadCancelled() && write_(buffer_.data(), length, readPosition);
    }

private:
    std::vector<char> buffer_;
    const std::function<bool(const char *, qint64, quint64)> write_;
};

} // namespace

std::unique_ptr<MemoryBlock> GzipReader::decompressToMemory() {
    QFile archive(filePath());
    if (!archive.open(QIODevice::ReadOnly) || archive.size() < kShortestMember)
        return nullptr;
    const qint64 size = archive.size();
    uchar trailer[4];
    if (!archive.seek(size - 4) || archive.read(reinterpret_cast<char *>(trailer), 4) != 4 ||
        !archive.seek(0))
        return nullptr;
    // The trailer's length, modulo 4 GiB, is the whole length when the member is the only one.
    const qint64 length = qFromLittleEndian<quint32>(trailer);
    if (length == 0 || length > kWholeMemberLimit || length > size * kLargestRatio)
        return nullptr;
    std::unique_ptr<MemoryBlock> block = MemoryBlock::reserve(length);
    if (!block)
        return nullptr;
    BlockSink sink(*block, [this](qint64 decoded, quint64 position) {
        reportDecompressed(decoded, position);
    });
    GzipStream stream(archive);
    if (stream.decode(sink, false) != GzipStream::End::Complete || stream.hasMoreInput() ||
        sink.filled() != length)
        return nullptr;
    return block;
}

bool GzipReader::decompress(QFile &output) {
    if (isCurrentThreadCancelled()) {
        setCancelled();
        return false;
    }
    QFile archive(filePath());
    if (!archive.open(QIODevice::ReadOnly)) {
        errorFailedOpenFile();
        return false;
    }
    WriteSink sink([this, &output](const char *data, qint64 length, quint64 position) {
        return writeDecompressed(output, data, length, position);
    });
    switch (GzipStream(archive).decode(sink, true)) {
    case GzipStream::End::Complete:
        return true;
    case GzipStream::End::CutShort:
        errorCutShort();
        break;
    case GzipStream::End::Damaged:
    case GzipStream::End::ReadFailed:
        errorArchive();
        break;
    case GzipStream::End::Stopped:
        // A failed write has recorded its error.
        if (isCurrentThreadCancelled())
            setCancelled();
        break;
    }
    return false;
}
