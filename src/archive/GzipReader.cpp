#include "archive/GzipReader.h"

#include "util/Cancellation.h"

#include <QFile>
#include <QMutexLocker>

#include <zlib.h>

namespace {
// zlib inflates reads of twice its buffer straight into the caller's memory, without a copy;
// the read size also keeps progress reports at the same decompressed sizes as 64 KB reads.
constexpr unsigned kBufferSize = 65536;
constexpr unsigned kReadSize = 2 * kBufferSize;
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

bool GzipReader::decompress(QFile &output) {
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
