#pragma once

#include "util/ScanOptions.h"
#include "util/TaskQueue.h"

#include <QMetaObject>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

// What every file-tree scanner shares: the input items, the queue of per-folder operations
// (on the thread pool, 3 at a time, in the order queued), the options, and cancellation by
// cancel(), by the notifications the scanner observes, or by the cancelled mark of the thread that
// runs execute.
class TreeScan {
public:
    static inline const QString kCancelNotification =
        QStringLiteral("FilePropertyCancelNotification");
    static constexpr int kQueueWidth = 3;

    virtual ~TreeScan();
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
    // An input folder the scan leaves out, compared by its resolved path.
    const std::optional<QString> &excludedFolder() const { return excludedFolder_; }
    void setExcludedFolder(const std::optional<QString> &path) { excludedFolder_ = path; }

    // Running operations stop at their next item; queued ones never start.
    void cancel();
    bool isCancelled() const { return cancelled_->load(); }
    TaskQueue *queue() { return &queue_; }

protected:
    // One item counts itself (isContainsSelf true); a list does not.
    TreeScan(const QStringList &URLs, bool isContainsSelf, const QStringList &cancelNotifications);

    // The direct contents of the single input item when it is a folder (links followed).
    std::optional<QStringList> singleFolderContents() const;
    // Blocks until the queue is empty, including operations queued by operations.
    void waitForQueue();

    // Guards the totals that operations report from the queue's threads.
    mutable QMutex lock_;

private:
    QStringList URLs_;
    bool isContainsSelf_;
    std::optional<ScanOptions> propertyOptions_;
    std::optional<QString> excludedFolder_;
    // Shared with the notification observers, which may still run while the scanner goes away.
    std::shared_ptr<std::atomic_bool> cancelled_ = std::make_shared<std::atomic_bool>(false);
    QMetaObject::Connection observer_;
    TaskQueue queue_{{.width = kQueueWidth}};
};
