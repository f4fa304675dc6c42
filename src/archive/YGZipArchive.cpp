#include "archive/YGZipArchive.h"

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

YGZipArchive::~YGZipArchive() {
    closeArchive();
}

bool YGZipArchive::openArchive() {
    gzfile = gzopen(QFile::encodeName(filePath()).constData(), "rb");
    if (!gzfile) {
        errorFailedOpenFile();
        return false;
    }
    gzbuffer(gzfile, kBufferSize);
    return true;
}

void YGZipArchive::closeArchive() {
    QMutexLocker locker(&closeLock);
    if (gzfile)
        gzclose(gzfile);
    gzfile = nullptr;
}

bool YGZipArchive::decompress(QFile &output) {
    if (!openArchive())
        return false;
    // zlib would pass data that is not gzip through unchanged, a "decompression" that only copies.
    if (gzdirect(gzfile)) {
        errorArchive();
        closeArchive();
        return false;
    }
    QByteArray buffer(kReadSize, Qt::Uninitialized);
    bool complete = false;
    for (;;) {
        if (isCurrentThreadCancelled()) {
            errorCancelOpertion();
            break;
        }
        const int got = gzread(gzfile, buffer.data(), kReadSize);
        if (got == 0) {
            // A stream cut short ends like a complete one; only the error state tells them apart.
            int status = Z_OK;
            gzerror(gzfile, &status);
            complete = status == Z_OK;
            if (!complete)
                errorArchive();
            break;
        }
        if (got < 0) {
            errorArchive();
            break;
        }
        if (!writeDecompressed(output, buffer.constData(), got, quint64(gzoffset(gzfile))))
            break;
    }
    closeArchive();
    return complete;
}
