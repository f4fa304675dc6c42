#include "archive/ZipParallelExtractor.h"

#include "archive/MiniZipFile.h"
#include "archive/ReaderBase.h"
#include "archive/ZipEntryFileWriter.h"
#include "util/PathUtil.h"

#include <QThread>

#include <chrono>

namespace {

// Queued files per thread: enough to keep every thread busy, little enough to stay flat.
constexpr std::size_t kQueuedPerWorker = 16;
constexpr auto kTickInterval = std::chrono::milliseconds(50);

} // namespace

int ZipParallelExtractor::workerCount() {
    // Even one core gains from a second thread: one writes files while the other inflates.
    return qMax(2, QThread::idealThreadCount());
}

ZipParallelExtractor::ZipParallelExtractor(const QString &archivePath, const QString &destination,
                                           bool restoresDates, int workers)
    : archivePath_(archivePath)
    , destination_(destination)
    , restoresDates_(restoresDates) {
    for (int index = 0; index < workers; ++index)
        threads_.emplace_back([this] { work(); });
}

ZipParallelExtractor::~ZipParallelExtractor() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    for (std::thread &thread : threads_)
        thread.join();
}

bool ZipParallelExtractor::submit(Task task, const Tick &tick) {
    if (!claim(task.fullPath)) {
        drain(tick);
        claim(task.fullPath);
    }
    {
        std::unique_lock lock(mutex_);
        const std::size_t limit = threads_.size() * kQueuedPerWorker;
        waitUntil(
            lock, [&] { return queue_.size() < limit || stopped_; }, tick);
        if (stopped_)
            return false;
        queue_.push_back(std::move(task));
    }
    const bool goOn = tick(written_.exchange(0));
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
    {
        std::unique_lock lock(mutex_);
        waitUntil(
            lock, [&] { return queue_.empty() && running_ == 0; }, tick);
    }
    tick(written_.exchange(0));
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
        changed_.wait_for(lock, kTickInterval, [&] { return done() || isReportDue(); });
        lock.unlock();
        const bool goOn = tick(written_.exchange(0));
        lock.lock();
        // Threads paused for this report go on, or see the cancel.
        changed_.notify_all();
        if (!goOn && !cancelled_) {
            // The threads stop at their next buffer; the files they leave are the caller's.
            cancelled_ = true;
            stopped_ = true;
            queue_.clear();
        }
    }
}

bool ZipParallelExtractor::isReportDue() const {
    return written_ > ReaderBase::kProgressThreshold;
}

void ZipParallelExtractor::countWritten(quint64 bytes) {
    written_ += bytes;
    if (!isReportDue())
        return;
    // Wait until the caller has reported (and perhaps been cancelled), as a serial writer would.
    std::unique_lock lock(mutex_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !isReportDue() || stopped_ || closing_; });
}

void ZipParallelExtractor::stop(bool cancel) {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        if (cancel)
            cancelled_ = true;
        queue_.clear();
    }
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

void ZipParallelExtractor::work() {
    MiniZipFile zip;
    const bool opened = zip.open(archivePath_);
    ZipEntryFileWriter writer([this] { return cancelled_.load(); },
                              [this](quint64 bytes) { countWritten(bytes); }, restoresDates_);
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || closing_ || stopped_; });
            if (queue_.empty())
                return;
            task = std::move(queue_.front());
            queue_.pop_front();
            ++running_;
        }
        changed_.notify_all();
        if (opened)
            runTask(zip, writer, task);
        else
            addFailure({task.order, true, QString()});
        {
            std::lock_guard lock(mutex_);
            --running_;
        }
        changed_.notify_all();
    }
}

void ZipParallelExtractor::runTask(MiniZipFile &zip, ZipEntryFileWriter &writer, const Task &task) {
    if (!zip.goToPosition(task.info.position) || !zip.openCurrentFile()) {
        addFailure({task.order, true, QString()});
        return;
    }
    if (writer.write(zip, destination_, task.fullPath, task.info) ==
        ZipEntryFileWriter::Result::Failed)
        addFailure({task.order, false, PathUtil::fileName(task.fullPath)});
}

void ZipParallelExtractor::addFailure(const Failure &failure) {
    std::lock_guard lock(mutex_);
    failures_.push_back(failure);
    if (failure.unreadable) {
        stopped_ = true;
        queue_.clear();
    }
}
