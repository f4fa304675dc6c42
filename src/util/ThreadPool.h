#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The process's worker threads, shared by every client through TaskQueue. A task may wait for
// the disk, but one that waits for another task or for a thread outside the pool runs on a
// lane: every lane held adds a thread, so waiting tasks never take the threads that the tasks
// and threads they wait for need.
class ThreadPool {
public:
    // The pool everything runs on: a thread per core, at least two, plus the lanes held.
    static ThreadPool &shared();

    // A pool with that many threads besides its lanes.
    explicit ThreadPool(int width);
    // Drops the tasks not started and joins the threads once their running tasks return.
    ~ThreadPool();
    ThreadPool(const ThreadPool &) = delete;
    ThreadPool &operator=(const ThreadPool &) = delete;

    // Runs the task on a free thread, after every task started before it.
    void start(std::function<void()> task);
    // Threads besides the lanes: how many tasks a client can usefully run at once.
    int width() const { return width_; }
    // True when started tasks wait for a thread: a client running many tasks in a row gives
    // its thread up then.
    bool hasWaitingTasks() const { return waiting_ > 0; }
    // Adds or removes threads for lanes; a removed thread ends once it is idle.
    void addLanes(int count);
    void removeLanes(int count);

private:
    void work();
    // Joins the threads that ended (under the lock).
    void joinEnded();

    const int width_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    std::atomic<std::size_t> waiting_ = 0;
    int lanes_ = 0;
    // Threads running their loop; some of threads_ may have left it and wait to be joined.
    int live_ = 0;
    bool closing_ = false;
    std::vector<std::thread> threads_;
    std::vector<std::thread::id> ended_;
};
