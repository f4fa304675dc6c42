#pragma once

#include "archive/ZipEntryInfo.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class MiniZipFile;
class ZipEntryFileWriter;

// Writes regular zip entries on several threads, each with its own handle on the archive, since
// entries are independent once their paths are known. The caller walks the directory, queues
// the files and waits; while it waits it is called back often, to forward progress and to poll
// its own thread's cancel mark. Errors are collected with the entry's place in the archive so
// the caller reports them as a serial walk would.
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
        QString fileName;
    };
    // Called at least every 50 ms while the caller waits, with the bytes written since the
    // previous call; answering false cancels the work.
    using Tick = std::function<bool(quint64 written)>;

    ZipParallelExtractor(const QString &archivePath, const QString &destination, bool restoresDates,
                         int workers);
    // Cancels what is still queued and waits for the threads.
    ~ZipParallelExtractor();
    ZipParallelExtractor(const ZipParallelExtractor &) = delete;
    ZipParallelExtractor &operator=(const ZipParallelExtractor &) = delete;

    // Queues one file, waiting while the queue is full. A file whose path meets one queued
    // since the last drain (the same path, or one inside the other) waits for the queue to empty
    // first, so such entries land as they would one after the other. False once the work
    // stopped (a cancel or an unreadable entry): queue nothing more.
    bool submit(Task task, const Tick &tick);
    // Before the caller makes a folder itself: waits for the queue when a queued file stands at
    // the folder's path or above it.
    void prepareFolder(const QString &fullPath, const Tick &tick);
    // Waits until every queued file is written or the work stopped.
    void drain(const Tick &tick);
    bool isCancelled() const { return cancelled_; }
    // The failures since the previous call, in no particular order.
    std::vector<Failure> takeFailures();

    // How many threads extraction uses on this machine.
    static int workerCount();

private:
    void work();
    void runTask(MiniZipFile &zip, ZipEntryFileWriter &writer, const Task &task);
    void addFailure(const Failure &failure);
    // Waits on the condition until done() or the tick stops the work.
    void waitUntil(std::unique_lock<std::mutex> &lock, const std::function<bool()> &done,
                   const Tick &tick);
    void stop(bool cancel);
    // True once the threads wrote more than a report's worth that the caller has not seen.
    bool isReportDue() const;
    // A thread's written bytes; past a report's worth it waits for the caller to report them.
    void countWritten(quint64 bytes);
    // True when the path or one of its folders is a file queued since the last drain.
    bool meetsQueuedFile(const QString &fullPath) const;
    // Records the file; false when it meets a queued file or a folder of one.
    bool claim(const QString &fullPath);

    const QString archivePath_;
    const QString destination_;
    const bool restoresDates_;
    mutable std::mutex mutex_;
    // Signalled when a task is queued or the work stops (for the threads), and when a task
    // finishes (for the caller).
    std::condition_variable changed_;
    std::deque<Task> queue_;
    std::size_t running_ = 0;
    bool closing_ = false;
    std::atomic<bool> stopped_ = false;
    std::atomic<bool> cancelled_ = false;
    std::atomic<quint64> written_ = 0;
    std::vector<Failure> failures_;
    std::vector<std::thread> threads_;
    // Paths queued since the last drain (caller's thread only): the files and their folders.
    QSet<QString> claimedFiles_;
    QSet<QString> claimedFolders_;
};
