#pragma once

#include "archive/ReaderBase.h"
#include "util/ProgressThrottle.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <vector>

// What the workers of a parallel extraction share (RAR that is not solid, 7z of several solid
// blocks). Each worker walks the archive's headers with a library handle of its own and extracts
// the entries given to it, skipping the others (a seek, as their data decodes independently). A
// worker waits for the others only where the order of the entries matters; the caller's thread
// waits for all of them, forwarding their progress and its cancel.
class ParallelWalk {
public:
    // Called on the caller's thread at least every 50 ms with the bytes written since the
    // previous call; answering false cancels the work.
    using Tick = std::function<bool(quint64 written)>;
    static constexpr qint64 kNoEnd = std::numeric_limits<qint64>::max();

    explicit ParallelWalk(int workers);
    ParallelWalk(const ParallelWalk &) = delete;
    ParallelWalk &operator=(const ParallelWalk &) = delete;

    int workers() const { return int(positions_.size()); }
    // Runs work(worker) for every worker on threads of the pool and returns once all of them
    // have returned, ticking meanwhile.
    void run(const std::function<void(int worker)> &work, const Tick &tick);

    // The worker has dealt with every header before this one (headers count from 0).
    void reach(int worker, qint64 header);
    // Waits until every other worker has dealt with the headers before this one, so that the
    // worker's entry lands after theirs as in one walk. False once the work is cancelled.
    bool waitForOthers(int worker, qint64 header);
    // A walk ended at this header (damaged data, a missing volume or password): the entries
    // after it are not extracted, as one walk would not reach them.
    void endAt(qint64 header);
    // The first header a walk ended at; kNoEnd while none did.
    qint64 end() const { return end_; }
    bool isCancelled() const { return cancelled_; }
    // Counts a worker's written bytes; past a report's worth the caller is woken to report them.
    void countWritten(quint64 bytes);

private:
    void finish(int worker);

    std::mutex mutex_;
    // Signalled to the caller's thread when a worker ends, the work is cancelled or a report is
    // due.
    std::condition_variable changed_;
    // Signalled to waiting workers when another moves on or ends, or the work is cancelled.
    std::condition_variable advanced_;
    std::vector<qint64> positions_;
    // Workers in waitForOthers(): a worker moving on wakes nobody while none waits, which for an
    // archive of small files would be a wake-up per header.
    int waiting_ = 0;
    int running_ = 0;
    std::atomic<qint64> end_ = kNoEnd;
    std::atomic<bool> cancelled_ = false;
    ProgressThrottle written_{ReaderBase::kProgressThreshold};
};
