#include "archive/FileWriteQueue.h"

#include <cerrno>

namespace {

// Steps are handed over once they hold this much data, or are this many.
constexpr qint64 kHandOverSize = 256 * 1024;
constexpr std::size_t kHandOverSteps = 64;

// The errno of a call that just failed; never 0, which stands for success.
int failure() {
    return errno != 0 ? errno : EIO;
}

} // namespace

FileWriteQueue::FileWriteQueue(QString destination)
    : destination_(std::move(destination))
    , worker_({.width = 1, .budget = kBudget}) {
}

FileWriteQueue::~FileWriteQueue() {
    handOver();
}

void FileWriteQueue::makeFolder(const QString &folder, Done done) {
    push({Kind::Folder, folder, {}, 0, {}, std::move(done)});
}

void FileWriteQueue::open(const QString &target) {
    push({Kind::Open, target, {}, 0, {}, {}});
}

void FileWriteQueue::write(const char *data, qint64 length) {
    push({Kind::Data, {}, QByteArray(data, length), 0, {}, {}});
}

void FileWriteQueue::finish(mode_t storedMode, const std::optional<QDateTime> &date, Done done) {
    push({Kind::Finish, {}, {}, storedMode, date, std::move(done)});
}

void FileWriteQueue::discard() {
    push({Kind::Discard, {}, {}, 0, {}, {}});
}

void FileWriteQueue::collect() {
    std::deque<std::pair<Done, int>> ready;
    {
        std::lock_guard lock(mutex_);
        ready.swap(outcomes_);
    }
    for (auto &[done, error] : ready)
        done(error);
}

void FileWriteQueue::drain() {
    handOver();
    worker_.wait();
    collect();
}

void FileWriteQueue::push(Task task) {
    pendingBytes_ += task.data.size();
    pending_.push_back(std::move(task));
    if (pendingBytes_ >= kHandOverSize || pending_.size() >= kHandOverSteps)
        handOver();
}

void FileWriteQueue::handOver() {
    if (pending_.empty())
        return;
    worker_.post(
        [this, tasks = std::move(pending_)]() mutable {
            for (Task &task : tasks) {
                const std::optional<int> error = run(task);
                if (error && task.done) {
                    std::lock_guard lock(mutex_);
                    outcomes_.emplace_back(std::move(task.done), *error);
                }
            }
        },
        pendingBytes_);
    pending_.clear();
    pendingBytes_ = 0;
}

std::optional<int> FileWriteQueue::run(Task &task) {
    // errno is read right after the failing call, before anything else can change it.
    switch (task.kind) {
    case Kind::Folder:
        return output_.makeFolders(destination_, task.path) ? 0 : failure();
    case Kind::Open:
        fileError_ = output_.create(destination_, task.path) ? 0 : failure();
        return std::nullopt;
    case Kind::Data:
        if (fileError_ == 0 && !output_.write(task.data.constData(), task.data.size())) {
            fileError_ = failure();
            output_.discard();
        }
        return std::nullopt;
    case Kind::Finish:
        if (fileError_ != 0)
            return fileError_;
        return output_.finish(task.mode, task.date) ? 0 : failure();
    case Kind::Discard:
        output_.discard();
        return std::nullopt;
    }
    return std::nullopt;
}
