#include "archive/ZipParallelExtractor.h"

#include "archive/MiniZipFile.h"
#include "archive/SafePath.h"
#include "archive/ZipEntryFileWriter.h"
#include "util/ThreadPool.h"

#include <chrono>

namespace {

// A batch ends at this many files or bytes: small files share a hand-over, large ones do not
// wait for company.
constexpr std::size_t kBatchFiles = 16;
constexpr quint64 kBatchBytes = 1024 * 1024;
// Queued files per thread: two batches keep every thread busy and memory flat.
constexpr std::size_t kQueuedPerWorker = 2 * kBatchFiles;
constexpr auto kTickInterval = std::chrono::milliseconds(50);

} // namespace

struct ZipParallelExtractor::Handle {
    Handle(ZipParallelExtractor &owner)
        : writer([&owner] { return owner.cancelled_.load(); },
                 [&owner](quint64 bytes) { owner.countWritten(bytes); }, owner.restoresDates_) {
        opened = zip.open(owner.archivePath_);
    }
    MiniZipFile zip;
    bool opened = false;
    ZipEntryFileWriter writer;
};

ZipParallelExtractor::ZipParallelExtractor(const QString &archivePath, const QString &destination,
                                           bool restoresDates)
    : archivePath_(archivePath)
    , destination_(destination)
    , restoresDates_(restoresDates)
    , limit_(std::size_t(ThreadPool::shared().width()) * kQueuedPerWorker)
    , tasks_({.width = ThreadPool::shared().width(), .tasksWait = true}) {
}

ZipParallelExtractor::~ZipParallelExtractor() {
    stop(false);
}

bool ZipParallelExtractor::submit(Task task, const Tick &tick) {
    if (!claim(task.fullPath)) {
        drain(tick);
        claim(task.fullPath);
    }
    batchBytes_ += task.info.uncompressedSize;
    batch_.push_back(std::move(task));
    if (batch_.size() < kBatchFiles && batchBytes_ < kBatchBytes)
        return !stopped_;
    return post(tick);
}

bool ZipParallelExtractor::post(const Tick &tick) {
    std::vector<Task> batch = std::exchange(batch_, {});
    batchBytes_ = 0;
    if (batch.empty())
        return !stopped_;
    {
        std::unique_lock lock(mutex_);
        waitUntil(
            lock, [&] { return unfinished_ < limit_ || stopped_; }, tick);
        if (stopped_)
            return false;
        unfinished_ += batch.size();
    }
    tasks_.post([this, batch = std::move(batch)] { run(batch); });
    const bool goOn = tick(written_.take());
    changed_.notify_all();
    if (!goOn)
        stop(true);
    return !stopped_;
}

void ZipParallelExtractor::prepareFolder(const QString &fullPath, const Tick &tick) {
    if (meetsQueuedFile(fullPath))
        drain(tick);
}

void ZipParallelExtractor::drain(const Tick &tick) {
    post(tick);
    {
        std::unique_lock lock(mutex_);
        waitUntil(
            lock, [&] { return unfinished_ == 0; }, tick);
    }
    // The last report may be the one that cancels.
    if (!tick(written_.take()))
        stop(true);
    claimedFiles_.clear();
    claimedFolders_.clear();
}

std::vector<ZipParallelExtractor::Failure> ZipParallelExtractor::takeFailures() {
    std::lock_guard lock(mutex_);
    return std::exchange(failures_, {});
}

void ZipParallelExtractor::waitUntil(std::unique_lock<std::mutex> &lock,
                                     const std::function<bool()> &done, const Tick &tick) {
    while (!done()) {
        changed_.wait_for(lock, kTickInterval, [&] { return done() || written_.isDue(); });
        lock.unlock();
        const bool goOn = tick(written_.take());
        lock.lock();
        // Tasks paused for this report go on, or see the cancel.
        changed_.notify_all();
        if (!goOn && !cancelled_) {
            // Running files stop at their next buffer and are the caller's; queued ones end
            // at once.
            cancelled_ = true;
            stopped_ = true;
        }
    }
}

void ZipParallelExtractor::countWritten(quint64 bytes) {
    if (!written_.add(bytes))
        return;
    // Wait until the caller has reported (and perhaps been cancelled), as a serial writer would.
    std::unique_lock lock(mutex_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !written_.isDue() || stopped_; });
}

void ZipParallelExtractor::stop(bool cancel) {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    if (cancel)
        cancelled_ = true;
    changed_.notify_all();
}

bool ZipParallelExtractor::meetsQueuedFile(const QString &fullPath) const {
    for (qsizetype end = fullPath.size(); end > destination_.size();
         end = fullPath.lastIndexOf(QLatin1Char('/'), end - 1)) {
        if (claimedFiles_.contains(fullPath.left(end)))
            return true;
    }
    return false;
}

bool ZipParallelExtractor::claim(const QString &fullPath) {
    if (meetsQueuedFile(fullPath) || claimedFolders_.contains(fullPath))
        return false;
    claimedFiles_.insert(fullPath);
    for (qsizetype end = fullPath.lastIndexOf(QLatin1Char('/')); end > destination_.size();
         end = fullPath.lastIndexOf(QLatin1Char('/'), end - 1)) {
        const QString folder = fullPath.left(end);
        if (claimedFolders_.contains(folder))
            break;
        claimedFolders_.insert(folder);
    }
    return true;
}

std::unique_ptr<ZipParallelExtractor::Handle> ZipParallelExtractor::takeHandle() {
    {
        std::lock_guard lock(mutex_);
        if (!idleHandles_.empty()) {
            std::unique_ptr<Handle> handle = std::move(idleHandles_.back());
            idleHandles_.pop_back();
            return handle;
        }
    }
    return std::make_unique<Handle>(*this);
}

void ZipParallelExtractor::run(const std::vector<Task> &batch) {
    if (!stopped_) {
        std::unique_ptr<Handle> handle = takeHandle();
        for (const Task &task : batch) {
            if (stopped_)
                break;
            write(*handle, task);
        }
        std::lock_guard lock(mutex_);
        idleHandles_.push_back(std::move(handle));
    }
    std::lock_guard lock(mutex_);
    unfinished_ -= batch.size();
    changed_.notify_all();
}

void ZipParallelExtractor::write(Handle &handle, const Task &task) {
    if (!handle.opened || !handle.zip.goToPosition(task.info.position) ||
        !handle.zip.openCurrentFile(task.info))
        addFailure({task.order, true, Error(), QString()});
    else if (handle.writer.write(handle.zip, destination_, task.fullPath, task.info) ==
             ZipEntryFileWriter::Result::Failed)
        addFailure({task.order, false, handle.writer.lastError(),
                    SafePath::below(destination_, task.fullPath)});
}

void ZipParallelExtractor::addFailure(const Failure &failure) {
    std::lock_guard lock(mutex_);
    failures_.push_back(failure);
    if (failure.unreadable)
        stopped_ = true;
}
