#include "archive/FileWriteQueue.h"

FileWriteQueue::FileWriteQueue(QString destination)
    : destination(std::move(destination))
    , thread([this] { work(); }) {
}

FileWriteQueue::~FileWriteQueue() {
    {
        std::lock_guard lock(mutex);
        closing = true;
    }
    changed.notify_all();
    thread.join();
}

void FileWriteQueue::makeFolder(const QString &folder, Done done) {
    push({Kind::Folder, folder, {}, 0, std::move(done)});
}

void FileWriteQueue::open(const QString &target) {
    push({Kind::Open, target, {}, 0, {}});
}

void FileWriteQueue::write(const char *data, qint64 length) {
    push({Kind::Data, {}, QByteArray(data, length), 0, {}});
}

void FileWriteQueue::finish(mode_t storedMode, Done done) {
    push({Kind::Finish, {}, {}, storedMode, std::move(done)});
}

void FileWriteQueue::discard() {
    push({Kind::Discard, {}, {}, 0, {}});
}

void FileWriteQueue::collect() {
    std::deque<std::pair<Done, bool>> ready;
    {
        std::lock_guard lock(mutex);
        ready.swap(outcomes);
    }
    for (auto &[done, made] : ready)
        done(made);
}

void FileWriteQueue::drain() {
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return tasks.empty() && !busy; });
    }
    collect();
}

void FileWriteQueue::push(Task task) {
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return queuedBytes < kBudget; });
        queuedBytes += task.data.size();
        tasks.push_back(std::move(task));
    }
    changed.notify_all();
}

void FileWriteQueue::work() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return !tasks.empty() || closing; });
            if (tasks.empty())
                return;
            task = std::move(tasks.front());
            tasks.pop_front();
            busy = true;
        }
        const std::optional<bool> made = run(task);
        {
            std::lock_guard lock(mutex);
            queuedBytes -= task.data.size();
            if (made && task.done)
                outcomes.emplace_back(std::move(task.done), *made);
            busy = false;
        }
        changed.notify_all();
    }
}

std::optional<bool> FileWriteQueue::run(Task &task) {
    switch (task.kind) {
    case Kind::Folder:
        return output.makeFolders(destination, task.path);
    case Kind::Open:
        fileFailed = !output.create(destination, task.path);
        return std::nullopt;
    case Kind::Data:
        if (!fileFailed && !output.write(task.data.constData(), task.data.size())) {
            fileFailed = true;
            output.discard();
        }
        return std::nullopt;
    case Kind::Finish:
        if (fileFailed)
            return false;
        return output.finish(task.mode, std::nullopt);
    case Kind::Discard:
        output.discard();
        return std::nullopt;
    }
    return std::nullopt;
}
