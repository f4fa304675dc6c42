#pragma once

#include "util/ScanOptions.h"
#include "util/TaskQueue.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

// What every file-tree scanner shares: the input items, the queue of per-folder operations
// (on the thread pool, 3 at a time, in the order queued), the options, and cancellation by
// cancel() or by the cancelled mark of the thread that runs execute.
class TreeScan {
public:
    static constexpr int kQueueWidth = 3;

    virtual ~TreeScan() = default;
    TreeScan(const TreeScan &) = delete;
    TreeScan &operator=(const TreeScan &) = delete;

    const QStringList &URLs() const { return URLs_; }
    // Whether a single input folder counts itself as one folder.
    bool isContainsSelf() const { return isContainsSelf_; }
    void setIsContainsSelf(bool value) { isContainsSelf_ = value; }
    // None leaves nothing out. Must not change during a scan.
    const std::optional<ScanOptions> &propertyOptions() const { return propertyOptions_; }
    void setPropertyOptions(const std::optional<ScanOptions> &options) {
        propertyOptions_ = options;
    }

    // Running operations stop at their next item; queued ones never start.
    void cancel();
    bool isCancelled() const { return cancelled_.load(); }
    TaskQueue *queue() { return &queue_; }

protected:
    explicit TreeScan(const QStringList &URLs);

    // The direct contents of the single input item when it is a folder (links followed).
    std::optional<QStringList> singleFolderContents() const;
    // Blocks until the queue is empty, including operations queued by operations.
    void waitForQueue();

    // Guards the totals that operations report from the queue's threads.
    mutable QMutex lock_;

private:
    QStringList URLs_;
    bool isContainsSelf_ = false;
    std::optional<ScanOptions> propertyOptions_;
    std::atomic_bool cancelled_ = false;
    TaskQueue queue_{{.width = kQueueWidth}};
};
