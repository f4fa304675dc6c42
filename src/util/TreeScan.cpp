#include "util/TreeScan.h"

#include "util/Cancellation.h"
#include "util/FileTree.h"
#include "util/FileUtil.h"
#include "util/NotificationCenter.h"

TreeScan::TreeScan(const QStringList &URLs, bool isContainsSelf,
                   const QStringList &cancelNotifications)
    : URLs_(URLs)
    , isContainsSelf_(isContainsSelf) {
    // Observed directly on the posting thread: the scanner's own thread is blocked in execute.
    observer_ = QObject::connect(
        &NotificationCenter::defaultCenter(), &NotificationCenter::notified,
        [cancelled = cancelled_, cancelNotifications](const QString &name, QObject *) {
            if (cancelNotifications.contains(name))
                cancelled->store(true);
        });
}

TreeScan::~TreeScan() {
    QObject::disconnect(observer_);
}

void TreeScan::cancel() {
    QMutexLocker locker(&lock_);
    cancelled_->store(true);
    queue_.clear();
}

std::optional<QStringList> TreeScan::singleFolderContents() const {
    if (URLs_.size() != 1 || !FileUtil::isFolder(URLs_.first()))
        return std::nullopt;
    return FileTree::contentsOfFolder(URLs_.first());
}

void TreeScan::waitForQueue() {
    constexpr auto kSlice = std::chrono::milliseconds(50);
    while (!queue_.waitFor(kSlice)) {
        if (isCurrentThreadCancelled() && !isCancelled())
            cancel();
    }
}
