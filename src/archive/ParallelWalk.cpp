#include "archive/ParallelWalk.h"

#include "util/TaskQueue.h"

#include <chrono>

namespace {

constexpr auto kTickInterval = std::chrono::milliseconds(50);

} // namespace

ParallelWalk::ParallelWalk(int workers)
    : positions_(std::size_t(workers), 0) {
}

void ParallelWalk::run(const std::function<void(int worker)> &work, const Tick &tick) {
    running_ = workers();
    {
        // The workers wait for each other, so each holds a lane of its own.
        TaskQueue tasks({.width = workers(), .tasksWait = true});
        for (int worker = 0; worker < workers(); ++worker)
            tasks.post([this, &work, worker] {
                work(worker);
                finish(worker);
            });
        std::unique_lock lock(mutex_);
        while (running_ > 0) {
            changed_.wait_for(lock, kTickInterval,
                              [this] { return running_ == 0 || written_.isDue(); });
            lock.unlock();
            const bool goOn = tick(written_.take());
            lock.lock();
            if (!goOn && !cancelled_) {
                cancelled_ = true;
                // Workers waiting for each other see the cancel.
                advanced_.notify_all();
            }
        }
    }
    tick(written_.take());
}

void ParallelWalk::reach(int worker, qint64 header) {
    std::lock_guard lock(mutex_);
    positions_[std::size_t(worker)] = header;
    if (waiting_ > 0)
        advanced_.notify_all();
}

void ParallelWalk::finish(int worker) {
    std::lock_guard lock(mutex_);
    positions_[std::size_t(worker)] = kNoEnd;
    --running_;
    changed_.notify_all();
    advanced_.notify_all();
}

bool ParallelWalk::waitForOthers(int worker, qint64 header) {
    std::unique_lock lock(mutex_);
    ++waiting_;
    advanced_.wait(lock, [&] {
        if (cancelled_)
            return true;
        for (std::size_t other = 0; other < positions_.size(); ++other) {
            if (other != std::size_t(worker) && positions_[other] < header)
                return false;
        }
        return true;
    });
    --waiting_;
    return !cancelled_;
}

void ParallelWalk::endAt(qint64 header) {
    qint64 current = end_;
    while (header < current && !end_.compare_exchange_weak(current, header)) {
    }
}

void ParallelWalk::countWritten(quint64 bytes) {
    // The caller reports at its next tick; a worker never waits for it, which on a busy machine
    // would stall decoding at every report.
    if (written_.add(bytes))
        changed_.notify_all();
}
