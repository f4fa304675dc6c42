#include "archive/TarInput.h"

#include "util/FileGrowth.h"
#include "util/StreamWindow.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t kBufferSize = std::size_t{128} * 1024;
} // namespace

TarInput::TarInput()
    : buffer_(kBufferSize) {
}

TarInput::~TarInput() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool TarInput::open(const QString &path, const GrowingTar *growing) {
    if (growing && growing->window) {
        window_ = growing->window;
        reader_ = growing->reader;
        return true;
    }
    growth_ = growing ? growing->growth : nullptr;
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return false;
    size_ = st.st_size;
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

void TarInput::open(QByteArrayView tar) {
    memory_ = tar;
    size_ = tar.size();
}

std::optional<QByteArrayView> TarInput::borrow(qint64 length) {
    QByteArrayView piece;
    if (window_) {
        piece = window_->view(reader_, position_, length);
    } else if (!memory_.isNull()) {
        const qint64 start = qMin(position_, size_);
        piece = memory_.sliced(start, qMin(length, size_ - start));
    } else {
        return std::nullopt;
    }
    position_ += piece.size();
    return piece;
}

qint64 TarInput::read(char *data, qint64 length) {
    qint64 done = 0;
    if (window_ || !memory_.isNull()) {
        while (done < length) {
            const QByteArrayView piece = *borrow(length - done);
            if (piece.isEmpty())
                break;
            std::memcpy(data + done, piece.data(), std::size_t(piece.size()));
            done += piece.size();
        }
        return done;
    }
    while (done < length) {
        const qint64 offset = position_ - bufferStart_;
        if (offset >= 0 && offset < bufferLength_) {
            const qint64 count = qMin(length - done, bufferLength_ - offset);
            std::memcpy(data + done, buffer_.data() + offset, std::size_t(count));
            done += count;
            position_ += count;
            continue;
        }
        // What does not fit the buffer goes straight to the caller.
        const bool direct = length - done >= qint64(buffer_.size());
        const qint64 got = direct ? readAt(position_, data + done, length - done)
                                  : readAt(position_, buffer_.data(), qint64(buffer_.size()));
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        if (direct) {
            done += got;
            position_ += got;
        } else {
            bufferStart_ = position_;
            bufferLength_ = got;
        }
    }
    return done;
}

bool TarInput::seek(qint64 to) {
    if (to < 0)
        return false;
    position_ = to;
    return true;
}

bool TarInput::reaches(qint64 end) const {
    if (window_)
        return window_->waitFor(reader_, position_, end) >= end;
    return (growth_ ? growth_->waitFor(end) : size_) >= end;
}

qint64 TarInput::readAt(qint64 offset, char *data, qint64 length) const {
    if (growth_)
        length = qMin(length, growth_->waitFor(offset + length) - offset);
    if (length <= 0)
        return 0;
    for (;;) {
        const ssize_t got = ::pread(fd_, data, std::size_t(length), offset);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}
