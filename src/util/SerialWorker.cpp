#include "util/SerialWorker.h"

SerialWorker::SerialWorker(qint64 budget)
    : budget(budget)
    , thread([this] { work(); }) {
}

SerialWorker::~SerialWorker() {
    {
        std::lock_guard lock(mutex);
        closing = true;
    }
    changed.notify_all();
    thread.join();
}

void SerialWorker::post(std::function<void()> task, qint64 weight) {
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return pending < budget; });
        pending += weight;
        tasks.emplace_back(std::move(task), weight);
    }
    changed.notify_all();
}

void SerialWorker::wait() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return tasks.empty() && !running; });
}

void SerialWorker::work() {
    for (;;) {
        std::pair<std::function<void()>, qint64> task;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return !tasks.empty() || closing; });
            if (tasks.empty())
                return;
            task = std::move(tasks.front());
            tasks.pop_front();
            running = true;
        }
        task.first();
        {
            std::lock_guard lock(mutex);
            pending -= task.second;
            running = false;
        }
        changed.notify_all();
    }
}
