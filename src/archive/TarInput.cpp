#include "archive/TarInput.h"

#include "util/FileGrowth.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t kBufferSize = 128 * 1024;
} // namespace

TarInput::TarInput()
    : buffer(kBufferSize) {
}

TarInput::~TarInput() {
    if (fd >= 0)
        ::close(fd);
}

bool TarInput::open(const QString &path, const FileGrowth *fileGrowth) {
    growth = fileGrowth;
    fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return false;
    size = st.st_size;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

qint64 TarInput::read(char *data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        const qint64 offset = position - bufferStart;
        if (offset >= 0 && offset < bufferLength) {
            const qint64 count = qMin(length - done, bufferLength - offset);
            std::memcpy(data + done, buffer.data() + offset, std::size_t(count));
            done += count;
            position += count;
            continue;
        }
        // What does not fit the buffer goes straight to the caller.
        const bool direct = length - done >= qint64(buffer.size());
        const qint64 got = direct ? readAt(position, data + done, length - done)
                                  : readAt(position, buffer.data(), qint64(buffer.size()));
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        if (direct) {
            done += got;
            position += got;
        } else {
            bufferStart = position;
            bufferLength = got;
        }
    }
    return done;
}

bool TarInput::seek(qint64 to) {
    if (to < 0)
        return false;
    position = to;
    return true;
}

bool TarInput::reaches(qint64 end) const {
    return (growth ? growth->waitFor(end) : size) >= end;
}

qint64 TarInput::readAt(qint64 offset, char *data, qint64 length) const {
    if (growth)
        length = qMin(length, growth->waitFor(offset + length) - offset);
    if (length <= 0)
        return 0;
    for (;;) {
        const ssize_t got = ::pread(fd, data, std::size_t(length), offset);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}
