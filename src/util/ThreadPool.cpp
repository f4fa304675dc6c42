#include "util/ThreadPool.h"

#include <QThread>

#include <algorithm>

ThreadPool &ThreadPool::shared() {
    // Even one core gains from a second thread: one writes files while another computes.
    static ThreadPool pool(std::max(2, QThread::idealThreadCount()));
    return pool;
}

ThreadPool::ThreadPool(int width)
    : width_(std::max(1, width)) {
    std::lock_guard lock(mutex_);
    for (; live_ < width_; ++live_)
        threads_.emplace_back([this] { work(); });
}

ThreadPool::~ThreadPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        tasks_.clear();
    }
    changed_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

void ThreadPool::start(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        waiting_ = tasks_.size();
    }
    changed_.notify_one();
}

void ThreadPool::addLanes(int count) {
    std::lock_guard lock(mutex_);
    lanes_ += count;
    joinEnded();
    for (; live_ < width_ + lanes_; ++live_)
        threads_.emplace_back([this] { work(); });
}

void ThreadPool::removeLanes(int count) {
    {
        std::lock_guard lock(mutex_);
        lanes_ -= count;
    }
    changed_.notify_all();
}

void ThreadPool::joinEnded() {
    for (const std::thread::id id : ended_) {
        const auto thread = std::find_if(threads_.begin(), threads_.end(),
                                         [id](const std::thread &t) { return t.get_id() == id; });
        // The thread has let go of the lock for good: it only returns now.
        thread->join();
        threads_.erase(thread);
    }
    ended_.clear();
}

void ThreadPool::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock,
                      [this] { return !tasks_.empty() || closing_ || live_ > width_ + lanes_; });
        if (closing_)
            return;
        if (tasks_.empty()) {
            --live_;
            ended_.push_back(std::this_thread::get_id());
            return;
        }
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        waiting_ = tasks_.size();
        lock.unlock();
        task();
        // What the task holds goes before the next one starts.
        task = nullptr;
        lock.lock();
    }
}
