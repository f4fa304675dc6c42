#pragma once

#include "util/Error.h"

#include "archive/ReaderBase.h"
#include "archive/ZipEntryInfo.h"
#include "util/ProgressThrottle.h"
#include "util/TaskQueue.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Writes regular zip entries on several pool threads, each task with a handle on the archive of
// its own, since entries are independent once their paths are known. The caller walks the
// directory, queues the files and waits; while it waits it is called back often, to forward
// progress and to poll its own thread's cancel mark. Errors are collected with the entry's place in
// the archive so the caller reports them as a serial walk would.
class ZipParallelExtractor {
public:
    struct Task {
        ZipEntryInfo info;
        QString fullPath;
        // The entry's place in the walk.
        quint64 order = 0;
    };
    struct Failure {
        quint64 order = 0;
        // The entry's data could not be opened at all: extraction stops here.
        bool unreadable = false;
        // Why the entry could not be written, and its path below the destination.
        Error error;
        QString name;
    };
    // Called at least every 50 ms while the caller waits, with the bytes written since the
    // previous call; answering false cancels the work.
    using Tick = std::function<bool(quint64 written)>;

    // As many files are written at once as the pool has threads.
    ZipParallelExtractor(const QString &archivePath, const QString &destination,
                         bool restoresDates);
    // Drops what is still queued and waits for the files being written.
    ~ZipParallelExtractor();
    ZipParallelExtractor(const ZipParallelExtractor &) = delete;
    ZipParallelExtractor &operator=(const ZipParallelExtractor &) = delete;

    // Queues one file; files go to the threads in batches, since handing one over costs more
    // than writing a small file. Waits while the queue is full. A file whose path meets one
    // queued since the last drain (the same path, or one inside the other) waits for the queue
    // to empty first, so such entries land as they would one after the other. False once the
    // work stopped (a cancel or an unreadable entry): queue nothing more.
    bool submit(Task task, const Tick &tick);
    // Before the caller makes a folder itself: waits for the queue when a queued file stands at
    // the folder's path or above it.
    void prepareFolder(const QString &fullPath, const Tick &tick);
    // Waits until every queued file is written or the work stopped.
    void drain(const Tick &tick);
    bool isCancelled() const { return cancelled_; }
    // The failures since the previous call, in no particular order.
    std::vector<Failure> takeFailures();

private:
    // An archive handle with a file writer: what a task needs, used by one task at a time.
    struct Handle;

    // Hands the batch being gathered to the threads.
    bool post(const Tick &tick);
    void run(const std::vector<Task> &batch);
    void write(Handle &handle, const Task &task);
    std::unique_ptr<Handle> takeHandle();
    void addFailure(const Failure &failure);
    // Waits on the condition until done() or the tick stops the work.
    void waitUntil(std::unique_lock<std::mutex> &lock, const std::function<bool()> &done,
                   const Tick &tick);
    void stop(bool cancel);
    // A task's written bytes; past a report's worth it waits for the caller to report them.
    void countWritten(quint64 bytes);
    // True when the path or one of its folders is a file queued since the last drain.
    bool meetsQueuedFile(const QString &fullPath) const;
    // Records the file; false when it meets a queued file or a folder of one.
    bool claim(const QString &fullPath);

    const QString archivePath_;
    const QString destination_;
    const bool restoresDates_;
    // Files queued or being written at most.
    const std::size_t limit_;
    // The files gathered for the next hand-over (caller's thread only), and their bytes.
    std::vector<Task> batch_;
    quint64 batchBytes_ = 0;
    mutable std::mutex mutex_;
    // Signalled when a file is written, the work stops or a report was made.
    std::condition_variable changed_;
    std::size_t unfinished_ = 0;
    std::atomic<bool> stopped_ = false;
    std::atomic<bool> cancelled_ = false;
    // The bytes written that the caller has not reported: past its threshold the tasks wait.
    ProgressThrottle written_{ReaderBase::kProgressThreshold};
    std::vector<Failure> failures_;
    // Handles no task uses now; there are never more than tasks running at once.
    std::vector<std::unique_ptr<Handle>> idleHandles_;
    // Paths queued since the last drain (caller's thread only): the files and their folders.
    QSet<QString> claimedFiles_;
    QSet<QString> claimedFolders_;
    // Last, so that its tasks end before anything they use goes. They wait for the caller's
    // reports, so they run on lanes of their own.
    TaskQueue tasks_;
};
