#include "util/FileGrowth.h"

void FileGrowth::grow(qint64 bytes) {
    {
        std::lock_guard lock(mutex_);
        size_ += bytes;
    }
    changed_.notify_all();
}

void FileGrowth::finish() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

qint64 FileGrowth::waitFor(qint64 end) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return size_ >= end || finished_; });
    return size_;
}
