#include "archive/LibarchiveStreamReader.h"

#include "util/Cancellation.h"
#include "util/ThreadPool.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>
#include <lzma.h>

#include <cstring>
#include <limits>
#include <memory>
#include <utility>

namespace {

constexpr size_t kReadSize = 65536;
// Decoded data goes to the temporary tar in pieces of this size; progress still comes about every
// few megabytes.
constexpr qint64 kPieceSize = qint64{1024} * 1024;
// A decoder waiting for its threads returns this often, so that a cancel is seen.
constexpr quint32 kXzWaitMs = 100;
constexpr char kXzMagic[] = "\xFD"
                            "7zXZ";

// Ends the decoder on every path out.
class XzStream {
public:
    XzStream() = default;
    ~XzStream() { lzma_end(&stream); }
    XzStream(const XzStream &) = delete;
    XzStream &operator=(const XzStream &) = delete;

    lzma_stream stream = LZMA_STREAM_INIT;
};

// The threaded decoder, set up as xz itself sets it up; false when liblzma refuses.
bool startDecoder(XzStream &xz) {
    lzma_mt options{};
    // Streams one after another, as xz writes them when appending, decode as one.
    options.flags = LZMA_CONCATENATED;
    options.threads = quint32(ThreadPool::shared().width());
    options.timeout = kXzWaitMs;
    // Threads as long as their buffers take at most a quarter of the memory; beyond that one
    // thread, but never a refusal.
    options.memlimit_threading = lzma_physmem() / 4;
    options.memlimit_stop = UINT64_MAX;
    return lzma_stream_decoder_mt(&xz.stream, &options) == LZMA_OK;
}

// The decoded size the indexes of an xz file add up to; none unless the whole file is xz streams
// with their indexes (a cut file has lost its last one).
std::optional<quint64> decodedSize(const uchar *data, qint64 size) {
    XzStream xz;
    lzma_index *index = nullptr;
    if (lzma_file_info_decoder(&xz.stream, &index, UINT64_MAX, quint64(size)) != LZMA_OK)
        return std::nullopt;
    xz.stream.next_in = data;
    xz.stream.avail_in = size_t(size);
    lzma_ret status = LZMA_OK;
    // The decoder reads the footers backwards: it asks for the place to go on from.
    while ((status = lzma_code(&xz.stream, LZMA_RUN)) == LZMA_SEEK_NEEDED) {
        xz.stream.next_in = data + xz.stream.seek_pos;
        xz.stream.avail_in = size_t(quint64(size) - xz.stream.seek_pos);
    }
    if (status != LZMA_STREAM_END || !index)
        return std::nullopt;
    const quint64 length = lzma_index_uncompressed_size(index);
    lzma_index_end(index, nullptr);
    return length;
}

// libarchive fails a stream that ends early and a damaged one alike (ARCHIVE_FATAL,
// ARCHIVE_ERRNO_MISC); only its message tells the first apart: "truncated ... input" from its
// own filters, liblzma's "No progress is possible" from the xz, lzma and lzip ones.
bool endsEarly(archive *handle) {
    const QString message = QString::fromUtf8(archive_error_string(handle));
    return message.contains(QLatin1String("truncated"), Qt::CaseInsensitive) ||
           message.contains(QLatin1String("No progress is possible"));
}

// Up to length decoded bytes, asked for little at a time: a read that fails drops the bytes it
// had gathered. Answers the bytes read and the last read's result: 0 at the end of the stream,
// below 0 on a failure.
std::pair<qint64, la_ssize_t> fill(archive *input, char *data, qint64 length) {
    qint64 filled = 0;
    la_ssize_t got = 1;
    while (filled < length && got > 0) {
        got = archive_read_data(input, data + filled, qMin(kReadSize, size_t(length - filled)));
        filled += qMax<la_ssize_t>(got, 0);
    }
    return {filled, got};
}

// The bytes read from the file, the last of the filter chain.
quint64 readPosition(archive *input) {
    return quint64(qMax<la_int64_t>(archive_filter_bytes(input, -1), 0));
}

} // namespace

void LibarchiveStreamReader::recordFailure(archive *input) {
    if (endsEarly(input))
        errorCutShort();
    else
        errorArchive();
}

std::optional<bool> LibarchiveStreamReader::decompressXz(QFile &output) {
    QFile archive(filePath());
    char magic[sizeof kXzMagic] = {};
    if (!archive.open(QIODevice::ReadOnly) || archive.read(magic, sizeof magic) != sizeof magic ||
        std::memcmp(magic, kXzMagic, sizeof magic) != 0 || !archive.seek(0))
        return std::nullopt;
    XzStream xz;
    if (!startDecoder(xz))
        return std::nullopt;
    QByteArray in(kPieceSize, Qt::Uninitialized);
    QByteArray out(kPieceSize, Qt::Uninitialized);
    lzma_action action = LZMA_RUN;
    xz.stream.next_out = reinterpret_cast<uint8_t *>(out.data());
    xz.stream.avail_out = size_t(out.size());
    for (;;) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return false;
        }
        if (xz.stream.avail_in == 0 && action == LZMA_RUN) {
            const qint64 got = archive.read(in.data(), in.size());
            if (got < 0) {
                errorArchive();
                return false;
            }
            if (got == 0)
                action = LZMA_FINISH;
            xz.stream.next_in = reinterpret_cast<const uint8_t *>(in.constData());
            xz.stream.avail_in = size_t(got);
        }
        const lzma_ret status = lzma_code(&xz.stream, action);
        const qint64 made = out.size() - qint64(xz.stream.avail_out);
        if ((xz.stream.avail_out == 0 || status != LZMA_OK) && made > 0) {
            if (!writeDecompressed(output, out.constData(), made, xz.stream.total_in))
                return false;
            xz.stream.next_out = reinterpret_cast<uint8_t *>(out.data());
            xz.stream.avail_out = size_t(out.size());
        }
        if (status == LZMA_STREAM_END)
            return true;
        if (status == LZMA_OK)
            continue;
        // No progress with the whole file read: the data ends before the stream does.
        if (status == LZMA_BUF_ERROR)
            errorCutShort();
        else
            errorArchive();
        return false;
    }
}

void LibarchiveStreamReader::ArchiveFree::operator()(archive *handle) const {
    archive_read_free(handle);
}

std::unique_ptr<MemoryBlock> LibarchiveStreamReader::decompressToMemory() {
    QFile archive(filePath());
    if (!archive.open(QIODevice::ReadOnly) || archive.size() < qint64(sizeof kXzMagic))
        return nullptr;
    const qint64 size = archive.size();
    const uchar *data = archive.map(0, size);
    if (!data)
        return nullptr;
    if (std::memcmp(data, kXzMagic, sizeof kXzMagic) == 0)
        return decodeXzToMemory(data, size);
    return decodeToMemory();
}

std::unique_ptr<MemoryBlock> LibarchiveStreamReader::decodeXzToMemory(const uchar *data,
                                                                      qint64 size) {
    const auto length = decodedSize(data, size);
    std::unique_ptr<MemoryBlock> block =
        length && *length <= quint64(std::numeric_limits<qint64>::max())
            ? MemoryBlock::reserve(qint64(*length))
            : nullptr;
    XzStream xz;
    if (!block || !startDecoder(xz))
        return nullptr;
    xz.stream.next_in = data;
    xz.stream.avail_in = size_t(size);
    qint64 made = 0;
    // A piece at a time, for progress and cancels. Damage and cuts are left to decompress(),
    // which tells them apart and keeps what came before.
    for (;;) {
        if (isCurrentThreadCancelled())
            return nullptr;
        const qint64 room = qMin(kPieceSize, block->size() - made);
        xz.stream.next_out = reinterpret_cast<uint8_t *>(block->data() + made);
        xz.stream.avail_out = size_t(room);
        const lzma_ret status = lzma_code(&xz.stream, LZMA_FINISH);
        const qint64 got = room - qint64(xz.stream.avail_out);
        made += got;
        reportDecompressed(got, xz.stream.total_in);
        if (status == LZMA_STREAM_END && made == block->size())
            return block;
        if (status != LZMA_OK)
            return nullptr;
    }
}

std::unique_ptr<MemoryBlock> LibarchiveStreamReader::decodeToMemory() {
    Filters filters = openFilters(false);
    std::unique_ptr<MemoryBlock> block = filters ? MemoryBlock::reserveLargest() : nullptr;
    if (!block)
        return nullptr;
    qint64 made = 0;
    for (;;) {
        if (isCurrentThreadCancelled())
            return nullptr;
        const auto [filled, got] =
            fill(filters.get(), block->data() + made, qMin(kPieceSize, block->size() - made));
        made += filled;
        reportDecompressed(filled, readPosition(filters.get()));
        // An empty stream, damage and cuts are left to decompress(), which records them.
        if (got < 0 || (got == 0 && made == 0))
            return nullptr;
        if (got == 0) {
            block->shrink(made);
            return block;
        }
        if (made == block->size()) {
            carried_ = std::move(filters);
            carriedData_ = std::move(block);
            return nullptr;
        }
    }
}

LibarchiveStreamReader::Filters LibarchiveStreamReader::openFilters(bool record) {
    Filters handle(archive_read_new());
    archive *input = handle.get();
    archive_read_support_filter_xz(input);
    archive_read_support_filter_lzma(input);
    archive_read_support_filter_lzip(input);
    archive_read_support_filter_zstd(input);
    archive_read_support_filter_lz4(input);
    archive_read_support_filter_compress(input);
    archive_read_support_format_raw(input);
    if (archive_read_open_filename(input, QFile::encodeName(filePath()).constData(), kReadSize) !=
        ARCHIVE_OK) {
        if (record && QFile::exists(filePath()))
            recordFailure(input);
        else if (record)
            errorFailedOpenFile();
        return nullptr;
    }
    archive_entry *entry = nullptr;
    // Opening and the raw format's entry read ahead: a short stream may already fail there.
    if (archive_read_next_header(input, &entry) != ARCHIVE_OK) {
        if (record)
            recordFailure(input);
        return nullptr;
    }
    // Without a filter that knows the data, the raw format would hand it out unchanged.
    if (archive_filter_code(input, 0) == ARCHIVE_FILTER_NONE) {
        if (record)
            errorArchive();
        return nullptr;
    }
    return handle;
}

bool LibarchiveStreamReader::decompress(QFile &output) {
    if (const auto done = decompressXz(output))
        return *done;
    // Carries on where a decode into memory outgrew its block.
    Filters filters = carried_ ? std::move(carried_) : openFilters(true);
    const std::unique_ptr<MemoryBlock> carriedData = std::move(carriedData_);
    if (!filters)
        return false;
    archive *input = filters.get();
    for (qint64 done = 0; carriedData && done < carriedData->size(); done += kPieceSize) {
        if (!writeDecompressed(output, carriedData->data() + done,
                               qMin(kPieceSize, carriedData->size() - done), readPosition(input)))
            return false;
    }
    // The filters hand out a block at a time; the temporary tar takes them about a megabyte at
    // once, as every piece costs the thread writing it a wake-up.
    QByteArray buffer(qsizetype(kPieceSize), Qt::Uninitialized);
    for (;;) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return false;
        }
        const auto [filled, got] = fill(input, buffer.data(), buffer.size());
        // What decoded before a failure is kept, as a cut stream's data is.
        if (filled > 0 &&
            !writeDecompressed(output, buffer.constData(), filled, readPosition(input)))
            return false;
        if (got == 0)
            return true;
        if (got < 0) {
            recordFailure(input);
            return false;
        }
    }
}
