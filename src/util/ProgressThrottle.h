#pragma once

#include "util/ProgressReceiver.h"

#include <atomic>

// Counts the bytes of a long operation and says when to report them: once more than the
// threshold has gathered since the last report. Bytes may be counted from several threads.
class ProgressThrottle {
public:
    explicit ProgressThrottle(quint64 threshold)
        : threshold_(threshold) {}

    // Counts the bytes; true when a report is due.
    bool add(quint64 bytes) { return (counted_ += bytes) > threshold_; }
    bool isDue() const { return counted_ > threshold_; }
    // The bytes counted since the last report; the count starts again.
    quint64 take() { return counted_.exchange(0); }
    // The receiver's addDone, made once a report is due with everything counted until then.
    void addDone(quint64 bytes, ProgressReceiver *receiver) {
        if (!add(bytes))
            return;
        const quint64 due = take();
        if (receiver)
            receiver->addDone(due);
    }
    // Forgets the bytes not reported.
    void reset() { counted_ = 0; }
    quint64 counted() const { return counted_; }

private:
    const quint64 threshold_;
    std::atomic<quint64> counted_ = 0;
};
