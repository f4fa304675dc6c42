#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>

// How far a file being written has got, so that a reader on another thread can follow the
// writer: the reader waits for bytes that are not written yet.
class FileGrowth {
public:
    // Writer: this many more bytes are in the file (written, not buffered).
    void grow(qint64 bytes);
    // Writer: no more bytes will come, whether the file is complete or not.
    void finish();
    // Reader: waits until the file holds end bytes or the writer has finished, and answers the
    // file's size then.
    qint64 waitFor(qint64 end) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    qint64 size_ = 0;
    bool finished_ = false;
};
