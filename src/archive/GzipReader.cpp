#include "archive/GzipReader.h"

#include "util/Cancellation.h"
#include "util/MemoryBlock.h"

#include <QFile>
#include <QMutexLocker>
#include <QtEndian>

#include <libdeflate.h>
#include <zlib.h>

#include <memory>

namespace {
// zlib inflates reads of twice its buffer straight into the caller's memory, without a copy;
// the read size also keeps progress reports at the same decompressed sizes as 64 KB reads.
constexpr unsigned kBufferSize = 65536;
constexpr unsigned kReadSize = 2 * kBufferSize;
// libdeflate decodes a whole member a few times faster than zlib's stream, but in one call that
// neither reports progress nor stops for a cancel: its size bounds that wait (about a second).
constexpr qint64 kWholeMemberLimit = qint64{512} * 1024 * 1024;
// A gzip member's header and trailer take at least this many bytes.
constexpr qint64 kShortestMember = 18;
// Deflate never makes one byte into more than this many: a trailer claiming more is damage, and
// no room is reserved for it.
constexpr qint64 kLargestRatio = 1032;

struct InflaterFree {
    void operator()(libdeflate_decompressor *inflater) const {
        libdeflate_free_decompressor(inflater);
    }
};

} // namespace

GzipReader::~GzipReader() {
    closeArchive();
}

bool GzipReader::openArchive() {
    gzFile_ = gzopen(QFile::encodeName(filePath()).constData(), "rb");
    if (!gzFile_) {
        errorFailedOpenFile();
        return false;
    }
    gzbuffer(gzFile_, kBufferSize);
    return true;
}

void GzipReader::closeArchive() {
    QMutexLocker locker(&closeLock_);
    if (gzFile_)
        gzclose(gzFile_);
    gzFile_ = nullptr;
}

void GzipReader::recordDamage(int status) {
    if (status == Z_BUF_ERROR)
        errorCutShort();
    else
        errorArchive();
}

std::unique_ptr<MemoryBlock> GzipReader::decompressToMemory() {
    QFile archive(filePath());
    if (!archive.open(QIODevice::ReadOnly) || archive.size() < kShortestMember)
        return nullptr;
    const qint64 size = archive.size();
    const uchar *data = archive.map(0, size);
    if (!data || data[0] != 0x1f || data[1] != 0x8b)
        return nullptr;
    // The trailer's length, modulo 4 GiB, is the whole length when the member is the only one.
    const qint64 length = qFromLittleEndian<quint32>(data + size - 4);
    if (length == 0 || length > kWholeMemberLimit || length > size * kLargestRatio)
        return nullptr;
    const std::unique_ptr<libdeflate_decompressor, InflaterFree> inflater(
        libdeflate_alloc_decompressor());
    std::unique_ptr<MemoryBlock> block = inflater ? MemoryBlock::reserve(length) : nullptr;
    if (!block)
        return nullptr;
    size_t used = 0;
    size_t made = 0;
    const libdeflate_result result = libdeflate_gzip_decompress_ex(
        inflater.get(), data, size_t(size), block->data(), size_t(length), &used, &made);
    if (result != LIBDEFLATE_SUCCESS || used != size_t(size) || made != size_t(length))
        return nullptr;
    if (progressReceiver())
        progressReceiver()->setDone(quint64(size));
    return block;
}

bool GzipReader::decompress(QFile &output) {
    if (isCurrentThreadCancelled()) {
        setCancelled();
        return false;
    }
    if (!openArchive())
        return false;
    // zlib would pass data that is not gzip through unchanged, a "decompression" that only copies.
    if (gzdirect(gzFile_)) {
        errorArchive();
        closeArchive();
        return false;
    }
    QByteArray buffer(kReadSize, Qt::Uninitialized);
    bool complete = false;
    for (;;) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            break;
        }
        const int got = gzread(gzFile_, buffer.data(), kReadSize);
        if (got == 0) {
            // A stream cut short ends like a complete one; only the error state tells them apart.
            int status = Z_OK;
            gzerror(gzFile_, &status);
            complete = status == Z_OK;
            if (!complete)
                recordDamage(status);
            break;
        }
        if (got < 0) {
            int status = Z_OK;
            gzerror(gzFile_, &status);
            recordDamage(status);
            break;
        }
        if (!writeDecompressed(output, buffer.constData(), got, quint64(gzoffset(gzFile_))))
            break;
    }
    closeArchive();
    return complete;
}
