#include "archive/Bzip2Reader.h"

#include "util/Cancellation.h"

#include <QFile>
#include <QMutexLocker>

#include <bzlib.h>

namespace {

constexpr int kReadSize = 65536;

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
