#pragma once

#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class ThreadPool;

// A client's tasks on the thread pool: they start in the order they are posted, at most `width`
// at a time. A width of 1 makes a strand: one task after another, each seeing what the ones
// before it did. Waiting for a task of the same queue from inside a task never returns.
class TaskQueue {
public:
    struct Options {
        // Tasks running at once.
        int width = 1;
        // Posting waits while the tasks not yet finished weigh this much or more (the bytes of
        // data they hold), which keeps memory flat whatever the amounts; 0 for no limit.
        qint64 budget = 0;
        // The tasks may wait for other tasks or for a thread outside the pool: the queue holds a
        // lane for every task it may run at once.
        bool tasksWait = false;
    };

    explicit TaskQueue(Options options);
    TaskQueue(Options options, ThreadPool &pool);
    // Runs what was posted and not cleared, then returns.
    ~TaskQueue();
    TaskQueue(const TaskQueue &) = delete;
    TaskQueue &operator=(const TaskQueue &) = delete;

    void post(std::function<void()> task, qint64 weight = 0);
    // Drops the tasks that have not started.
    void clear();
    // Waits until no task is queued or running, tasks posted by tasks included.
    void wait();
    // The same, at most for the timeout; true when nothing is left.
    bool waitFor(std::chrono::milliseconds timeout);

private:
    struct Task {
        std::function<void()> run;
        qint64 weight = 0;
    };

    // A pool task that runs the queue's tasks until none is left, or others wait for a thread.
    void drain();
    bool isIdle() const { return tasks_.empty() && running_ == 0; }
    int lanes() const { return options_.tasksWait ? options_.width : 0; }

    ThreadPool &pool_;
    const Options options_;
    std::mutex mutex_;
    // Signalled when a task finishes, when tasks are cleared and when a drain ends.
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    // Drains started on the pool and not ended, and tasks running.
    int drains_ = 0;
    int running_ = 0;
    // The weight of the tasks queued or running.
    qint64 weight_ = 0;
};
