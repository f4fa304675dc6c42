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
}

ThreadPool::~ThreadPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        tasks_.clear();
    }
    work_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

void ThreadPool::addClient(int lanes) {
    std::lock_guard lock(mutex_);
    ++clients_;
    lanes_ += lanes;
    joinEnded();
    for (; live_ < wantedThreads(); ++live_)
        threads_.emplace_back([this] { work(); });
}

void ThreadPool::removeClient(int lanes) {
    std::unique_lock lock(mutex_);
    --clients_;
    lanes_ -= lanes;
    work_.notify_all();
    if (clients_ > 0)
        return;
    // The last client's tasks have all returned: the threads end at once. Unless a new client
    // came meanwhile, they are joined here.
    threadEnded_.wait(lock, [this] { return live_ == 0 || clients_ > 0; });
    joinEnded();
}

void ThreadPool::start(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        waiting_ = tasks_.size();
    }
    // One: a woken thread takes a task whatever else changed, and a busy one looks for the next
    // before it sleeps.
    work_.notify_one();
}

void ThreadPool::joinEnded() {
    for (const std::thread::id id : ended_) {
        const auto thread = std::find_if(threads_.begin(), threads_.end(),
                                         [id](const std::thread &t) { return t.get_id() == id; });
        thread->join();
        threads_.erase(thread);
    }
    ended_.clear();
}

void ThreadPool::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return !tasks_.empty() || closing_ || live_ > wantedThreads(); });
        if (closing_)
            return;
        if (tasks_.empty()) {
            --live_;
            ended_.push_back(std::this_thread::get_id());
            threadEnded_.notify_all();
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
