#include "archive/LibarchiveStreamReader.h"

#include "util/Cancellation.h"
#include "util/ThreadPool.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>
#include <lzma.h>

#include <cstring>
#include <memory>

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

struct ArchiveFree {
    void operator()(archive *handle) const { archive_read_free(handle); }
};

// libarchive fails a stream that ends early and a damaged one alike (ARCHIVE_FATAL,
// ARCHIVE_ERRNO_MISC); only its message tells the first apart: "truncated ... input" from its
// own filters, liblzma's "No progress is possible" from the xz, lzma and lzip ones.
bool endsEarly(archive *handle) {
    const QString message = QString::fromUtf8(archive_error_string(handle));
    return message.contains(QLatin1String("truncated"), Qt::CaseInsensitive) ||
           message.contains(QLatin1String("No progress is possible"));
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
    lzma_mt options{};
    // Streams one after another, as xz writes them when appending, decode as one.
    options.flags = LZMA_CONCATENATED;
    options.threads = quint32(ThreadPool::shared().width());
    options.timeout = kXzWaitMs;
    // As xz itself: threads as long as their buffers take at most a quarter of the memory;
    // beyond that one thread, but never a refusal.
    options.memlimit_threading = lzma_physmem() / 4;
    options.memlimit_stop = UINT64_MAX;
    if (lzma_stream_decoder_mt(&xz.stream, &options) != LZMA_OK)
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

bool LibarchiveStreamReader::decompress(QFile &output) {
    if (const auto done = decompressXz(output))
        return *done;
    std::unique_ptr<archive, ArchiveFree> handle(archive_read_new());
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
        if (QFile::exists(filePath()))
            recordFailure(input);
        else
            errorFailedOpenFile();
        return false;
    }
    archive_entry *entry = nullptr;
    // Opening and the raw format's entry read ahead: a short stream may already fail there.
    if (archive_read_next_header(input, &entry) != ARCHIVE_OK) {
        recordFailure(input);
        return false;
    }
    // Without a filter that knows the data, the raw format would hand it out unchanged.
    if (archive_filter_code(input, 0) == ARCHIVE_FILTER_NONE) {
        errorArchive();
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
        qint64 filled = 0;
        la_ssize_t got = 1;
        // Asked for little at a time: a read that fails drops the bytes it had gathered.
        while (filled < buffer.size() && got > 0) {
            got = archive_read_data(input, buffer.data() + filled,
                                    qMin(kReadSize, size_t(buffer.size() - filled)));
            filled += qMax<la_ssize_t>(got, 0);
        }
        // The bytes read from the file, the last of the filter chain. What decoded before a
        // failure is kept, as a cut stream's data is.
        const auto position = quint64(qMax<la_int64_t>(archive_filter_bytes(input, -1), 0));
        if (filled > 0 && !writeDecompressed(output, buffer.constData(), filled, position))
            return false;
        if (got == 0)
            return true;
        if (got < 0) {
            recordFailure(input);
            return false;
        }
    }
}
