#include "util/FileGrowth.h"

void FileGrowth::grow(qint64 bytes) {
    {
        std::lock_guard lock(mutex);
        size += bytes;
    }
    changed.notify_all();
}

void FileGrowth::finish() {
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    changed.notify_all();
}

qint64 FileGrowth::waitFor(qint64 end) const {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return size >= end || finished; });
    return size;
}
