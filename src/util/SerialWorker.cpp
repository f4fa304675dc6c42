#include "util/SerialWorker.h"

SerialWorker::SerialWorker(qint64 budget)
    : budget_(budget)
    , thread_([this] { work(); }) {
}

SerialWorker::~SerialWorker() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SerialWorker::post(std::function<void()> task, qint64 weight) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return pending_ < budget_; });
        pending_ += weight;
        tasks_.emplace_back(std::move(task), weight);
    }
    changed_.notify_all();
}

void SerialWorker::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.empty() && !running_; });
}

void SerialWorker::work() {
    for (;;) {
        std::pair<std::function<void()>, qint64> task;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !tasks_.empty() || closing_; });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
            running_ = true;
        }
        task.first();
        {
            std::lock_guard lock(mutex_);
            pending_ -= task.second;
            running_ = false;
        }
        changed_.notify_all();
    }
}
