#pragma once

#include <QByteArrayView>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// Data one thread produces and several others read front to back, each at its own pace, kept
// only until every reader has passed it: a decoded archive can be read twice at once without
// being stored anywhere. The producer waits while the slowest reader still needs the room.
class StreamWindow {
public:
    StreamWindow(int readers, qint64 capacity);

    // Producer: copies the bytes in.
    void append(const char *data, qint64 length);
    // Producer: no more bytes will come.
    void finish();
    qint64 produced() const;

    // Reader: the bytes from offset on, up to length, as they lie in the window; fewer when the
    // rest has not come yet or wraps around, none at the end of the data or when offset lies
    // before an earlier call's (that data may be gone). Valid until the reader's next call,
    // which lets go of everything before its own offset.
    QByteArrayView view(int reader, qint64 offset, qint64 length);
    // Reader: lets go of everything before from and waits until end bytes have come or the
    // producer has finished; answers how many have come.
    qint64 waitFor(int reader, qint64 from, qint64 end);
    // Reader: done; holds nothing back any more.
    void leave(int reader);

private:
    // Moves the reader's mark forward; false when offset lies behind it.
    bool advance(int reader, qint64 offset);
    qint64 room() const;

    const qint64 capacity_;
    std::unique_ptr<char[]> ring_;
    mutable std::mutex mutex_;
    std::condition_variable readable_;
    std::condition_variable writable_;
    // Where each reader is: the bytes before it are no longer needed.
    std::vector<qint64> marks_;
    qint64 produced_ = 0;
    bool finished_ = false;
};
