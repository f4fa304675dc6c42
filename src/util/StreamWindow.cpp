#include "util/StreamWindow.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
constexpr qint64 kGone = std::numeric_limits<qint64>::max();
} // namespace

StreamWindow::StreamWindow(int readers, qint64 capacity)
    : capacity_(capacity)
    // Not zero-filled: every byte is written before it is read.
    , ring_(std::make_unique_for_overwrite<char[]>(std::size_t(capacity)))
    , marks_(std::size_t(readers), 0) {
}

qint64 StreamWindow::room() const {
    const qint64 slowest = *std::min_element(marks_.cbegin(), marks_.cend());
    return capacity_ - std::max<qint64>(0, produced_ - slowest);
}

void StreamWindow::append(const char *data, qint64 length) {
    while (length > 0) {
        qint64 at = 0;
        qint64 count = 0;
        {
            std::unique_lock lock(mutex_);
            writable_.wait(lock, [&] { return room() > 0; });
            at = produced_;
            count = std::min({length, room(), capacity_ - at % capacity_});
        }
        // The slots written hold bytes every reader has passed; no reader looks at them now.
        std::memcpy(ring_.get() + at % capacity_, data, std::size_t(count));
        {
            std::lock_guard lock(mutex_);
            produced_ += count;
        }
        readable_.notify_all();
        data += count;
        length -= count;
    }
}

void StreamWindow::finish() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    readable_.notify_all();
}

qint64 StreamWindow::produced() const {
    std::lock_guard lock(mutex_);
    return produced_;
}

bool StreamWindow::advance(int reader, qint64 offset) {
    qint64 &mark = marks_[std::size_t(reader)];
    if (offset < mark)
        return false;
    if (offset > mark) {
        mark = offset;
        writable_.notify_one();
    }
    return true;
}

QByteArrayView StreamWindow::view(int reader, qint64 offset, qint64 length) {
    std::unique_lock lock(mutex_);
    if (!advance(reader, offset))
        return {};
    readable_.wait(lock, [&] { return produced_ > offset || finished_; });
    const qint64 count = std::min({length, produced_ - offset, capacity_ - offset % capacity_});
    if (count <= 0)
        return {};
    return {ring_.get() + offset % capacity_, count};
}

qint64 StreamWindow::waitFor(int reader, qint64 from, qint64 end) {
    std::unique_lock lock(mutex_);
    advance(reader, from);
    readable_.wait(lock, [&] { return produced_ >= end || finished_; });
    return produced_;
}

void StreamWindow::leave(int reader) {
    {
        std::lock_guard lock(mutex_);
        marks_[std::size_t(reader)] = kGone;
    }
    writable_.notify_one();
}
