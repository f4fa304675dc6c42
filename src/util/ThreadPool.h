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
// and threads they wait for need. The threads live while there are clients: when the last one
// goes they are joined, and a process that forks later forks with no pool threads.
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

    // Threads besides the lanes: how many tasks a client can usefully run at once.
    int width() const { return width_; }
    // A client comes, holding that many lanes, or goes; the threads follow.
    void addClient(int lanes);
    void removeClient(int lanes);
    // Runs the task on a free thread, after every task started before it. Only clients start
    // tasks.
    void start(std::function<void()> task);
    // True when started tasks wait for a thread: a client running many tasks in a row gives
    // its thread up then.
    bool hasWaitingTasks() const { return waiting_ > 0; }

private:
    void work();
    int wantedThreads() const { return clients_ > 0 ? width_ + lanes_ : 0; }
    // Joins the threads that ended (under the lock: they no longer need it).
    void joinEnded();

    const int width_;
    std::mutex mutex_;
    // Wakes a thread for each task started, and all of them when fewer threads are wanted.
    std::condition_variable work_;
    // Signalled when a thread ends.
    std::condition_variable threadEnded_;
    std::deque<std::function<void()>> tasks_;
    std::atomic<std::size_t> waiting_ = 0;
    int clients_ = 0;
    int lanes_ = 0;
    // Threads in their loop; threads_ also holds those that left it and wait to be joined.
    int live_ = 0;
    bool closing_ = false;
    std::vector<std::thread> threads_;
    std::vector<std::thread::id> ended_;
};
