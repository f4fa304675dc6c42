#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Runs tasks one after another on a thread of its own, in the order they are handed over. A
// task carries a weight (the bytes of data it holds); handing one over waits while the tasks not
// yet finished weigh the budget or more, which keeps memory flat whatever the amounts.
class SerialWorker {
public:
    explicit SerialWorker(qint64 budget);
    // Runs what was handed over, then stops the thread.
    ~SerialWorker();
    SerialWorker(const SerialWorker &) = delete;
    SerialWorker &operator=(const SerialWorker &) = delete;

    void post(std::function<void()> task, qint64 weight = 0);
    // Waits until every task handed over has run.
    void wait();

private:
    void work();

    const qint64 budget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<std::function<void()>, qint64>> tasks_;
    // The weight of the tasks queued or running.
    qint64 pending_ = 0;
    bool running_ = false;
    bool closing_ = false;
    std::thread thread_;
};
