#include "archive/FileWriteQueue.h"

FileWriteQueue::FileWriteQueue(QString destination)
    : destination_(std::move(destination))
    , worker_({.width = 1, .budget = kBudget}) {
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
        std::lock_guard lock(mutex_);
        ready.swap(outcomes_);
    }
    for (auto &[done, made] : ready)
        done(made);
}

void FileWriteQueue::drain() {
    worker_.wait();
    collect();
}

void FileWriteQueue::push(Task task) {
    const qint64 weight = task.data.size();
    worker_.post(
        [this, task = std::move(task)]() mutable {
            const std::optional<bool> made = run(task);
            if (made && task.done) {
                std::lock_guard lock(mutex_);
                outcomes_.emplace_back(std::move(task.done), *made);
            }
        },
        weight);
}

std::optional<bool> FileWriteQueue::run(Task &task) {
    switch (task.kind) {
    case Kind::Folder:
        return output_.makeFolders(destination_, task.path);
    case Kind::Open:
        fileFailed_ = !output_.create(destination_, task.path);
        return std::nullopt;
    case Kind::Data:
        if (!fileFailed_ && !output_.write(task.data.constData(), task.data.size())) {
            fileFailed_ = true;
            output_.discard();
        }
        return std::nullopt;
    case Kind::Finish:
        if (fileFailed_)
            return false;
        return output_.finish(task.mode, std::nullopt);
    case Kind::Discard:
        output_.discard();
        return std::nullopt;
    }
    return std::nullopt;
}
