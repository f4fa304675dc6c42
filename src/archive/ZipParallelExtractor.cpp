#include "archive/ZipParallelExtractor.h"

#include "archive/MiniZipFile.h"
#include "archive/ReaderBase.h"
#include "archive/ZipEntryFileWriter.h"
#include "util/FileUtil.h"

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
    : archivePath(archivePath)
    , destination(destination)
    , restoresDates(restoresDates) {
    for (int index = 0; index < workers; ++index)
        threads.emplace_back([this] { work(); });
}

ZipParallelExtractor::~ZipParallelExtractor() {
    {
        std::lock_guard lock(mutex);
        closing = true;
        queue.clear();
    }
    changed.notify_all();
    for (std::thread &thread : threads)
        thread.join();
}

bool ZipParallelExtractor::submit(Task task, const Tick &tick) {
    if (!claim(task.fullPath)) {
        drain(tick);
        claim(task.fullPath);
    }
    {
        std::unique_lock lock(mutex);
        const std::size_t limit = threads.size() * kQueuedPerWorker;
        waitUntil(
            lock, [&] { return queue.size() < limit || stopped; }, tick);
        if (stopped)
            return false;
        queue.push_back(std::move(task));
    }
    const bool goOn = tick(written.exchange(0));
    changed.notify_all();
    if (!goOn)
        stop(true);
    return !stopped;
}

void ZipParallelExtractor::prepareFolder(const QString &fullPath, const Tick &tick) {
    if (meetsQueuedFile(fullPath))
        drain(tick);
}

void ZipParallelExtractor::drain(const Tick &tick) {
    {
        std::unique_lock lock(mutex);
        waitUntil(
            lock, [&] { return queue.empty() && running == 0; }, tick);
    }
    tick(written.exchange(0));
    claimedFiles.clear();
    claimedFolders.clear();
}

std::vector<ZipParallelExtractor::Failure> ZipParallelExtractor::takeFailures() {
    std::lock_guard lock(mutex);
    return std::exchange(failures_, {});
}

void ZipParallelExtractor::waitUntil(std::unique_lock<std::mutex> &lock,
                                     const std::function<bool()> &done, const Tick &tick) {
    while (!done()) {
        changed.wait_for(lock, kTickInterval, [&] { return done() || isReportDue(); });
        lock.unlock();
        const bool goOn = tick(written.exchange(0));
        lock.lock();
        // Threads paused for this report go on, or see the cancel.
        changed.notify_all();
        if (!goOn && !cancelled) {
            // The threads stop at their next buffer; the files they leave are the caller's.
            cancelled = true;
            stopped = true;
            queue.clear();
        }
    }
}

bool ZipParallelExtractor::isReportDue() const {
    return written > ReaderBase::kProgressThreshold;
}

void ZipParallelExtractor::countWritten(quint64 bytes) {
    written += bytes;
    if (!isReportDue())
        return;
    // Wait until the caller has reported (and perhaps been cancelled), as a serial writer would.
    std::unique_lock lock(mutex);
    changed.notify_all();
    changed.wait(lock, [this] { return !isReportDue() || stopped || closing; });
}

void ZipParallelExtractor::stop(bool cancel) {
    {
        std::lock_guard lock(mutex);
        stopped = true;
        if (cancel)
            cancelled = true;
        queue.clear();
    }
    changed.notify_all();
}

bool ZipParallelExtractor::meetsQueuedFile(const QString &fullPath) const {
    for (qsizetype end = fullPath.size(); end > destination.size();
         end = fullPath.lastIndexOf(QLatin1Char('/'), end - 1)) {
        if (claimedFiles.contains(fullPath.left(end)))
            return true;
    }
    return false;
}

bool ZipParallelExtractor::claim(const QString &fullPath) {
    if (meetsQueuedFile(fullPath) || claimedFolders.contains(fullPath))
        return false;
    claimedFiles.insert(fullPath);
    for (qsizetype end = fullPath.lastIndexOf(QLatin1Char('/')); end > destination.size();
         end = fullPath.lastIndexOf(QLatin1Char('/'), end - 1)) {
        const QString folder = fullPath.left(end);
        if (claimedFolders.contains(folder))
            break;
        claimedFolders.insert(folder);
    }
    return true;
}

void ZipParallelExtractor::work() {
    MiniZipFile zip;
    const bool opened = zip.open(archivePath);
    ZipEntryFileWriter writer([this] { return cancelled.load(); },
                              [this](quint64 bytes) { countWritten(bytes); }, restoresDates);
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return !queue.empty() || closing || stopped; });
            if (queue.empty())
                return;
            task = std::move(queue.front());
            queue.pop_front();
            ++running;
        }
        changed.notify_all();
        if (opened)
            runTask(zip, writer, task);
        else
            addFailure({task.order, true, QString()});
        {
            std::lock_guard lock(mutex);
            --running;
        }
        changed.notify_all();
    }
}

void ZipParallelExtractor::runTask(MiniZipFile &zip, ZipEntryFileWriter &writer, const Task &task) {
    if (!zip.goToPosition(task.info.position) || !zip.openCurrentFile()) {
        addFailure({task.order, true, QString()});
        return;
    }
    if (writer.write(zip, destination, task.fullPath, task.info) ==
        ZipEntryFileWriter::Result::Failed)
        addFailure({task.order, false, FileUtil::fileName(task.fullPath)});
}

void ZipParallelExtractor::addFailure(const Failure &failure) {
    std::lock_guard lock(mutex);
    failures_.push_back(failure);
    if (failure.unreadable) {
        stopped = true;
        queue.clear();
    }
}
