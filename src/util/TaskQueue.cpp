#include "util/TaskQueue.h"

#include "util/ThreadPool.h"

TaskQueue::TaskQueue(Options options)
    : TaskQueue(options, ThreadPool::shared()) {
}

TaskQueue::TaskQueue(Options options, ThreadPool &pool)
    : pool_(pool)
    , options_(options) {
    pool_.addClient(lanes());
}

TaskQueue::~TaskQueue() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return drains_ == 0; });
    }
    pool_.removeClient(lanes());
}

void TaskQueue::post(std::function<void()> task, qint64 weight) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return options_.budget == 0 || weight_ < options_.budget; });
        weight_ += weight;
        tasks_.push_back({std::move(task), weight});
        if (drains_ == options_.width)
            return;
        ++drains_;
    }
    pool_.start([this] { drain(); });
}

void TaskQueue::clear() {
    std::deque<Task> dropped;
    {
        std::lock_guard lock(mutex_);
        for (const Task &task : tasks_)
            weight_ -= task.weight;
        dropped.swap(tasks_);
        changed_.notify_all();
    }
}

void TaskQueue::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return isIdle(); });
}

bool TaskQueue::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return isIdle(); });
}

void TaskQueue::drain() {
    std::unique_lock lock(mutex_);
    while (!tasks_.empty()) {
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        ++running_;
        lock.unlock();
        task.run();
        task.run = nullptr;
        lock.lock();
        --running_;
        weight_ -= task.weight;
        changed_.notify_all();
        if (!tasks_.empty() && pool_.hasWaitingTasks()) {
            // This queue takes its turn again behind the others.
            lock.unlock();
            pool_.start([this] { drain(); });
            return;
        }
    }
    --drains_;
    // Under the lock: once it is released the queue may go.
    changed_.notify_all();
}
