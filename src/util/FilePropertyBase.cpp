#include "util/FilePropertyBase.h"

#include "util/Cancellation.h"
#include "util/FileTree.h"
#include "util/FileUtil.h"
#include "util/NotificationCenter.h"

FilePropertyBase::FilePropertyBase(const QStringList &URLs, bool isContainsSelf,
                                   const QStringList &cancelNotifications)
    : URLs_(URLs)
    , isContainsSelf_(isContainsSelf) {
    queue_.setMaxThreadCount(kQueueWidth);
    // Observed directly on the posting thread: the scanner's own thread is blocked in execute.
    observer_ = QObject::connect(
        &NotificationCenter::defaultCenter(), &NotificationCenter::notified,
        [cancelled = cancelled_, cancelNotifications](const QString &name, QObject *) {
            if (cancelNotifications.contains(name))
                cancelled->store(true);
        });
}

FilePropertyBase::~FilePropertyBase() {
    QObject::disconnect(observer_);
}

void FilePropertyBase::cancel() {
    QMutexLocker locker(&lock);
    cancelled_->store(true);
    queue_.clear();
}

std::optional<QStringList> FilePropertyBase::singleFolderContents() const {
    if (URLs_.size() != 1 || !FileUtil::isDirectoryFilePath(URLs_.first()))
        return std::nullopt;
    return FileTree::contentsOfFolder(URLs_.first());
}

void FilePropertyBase::waitForQueue() {
    constexpr int kSliceMs = 50;
    while (!queue_.waitForDone(kSliceMs)) {
        if (isCurrentThreadCancelled() && !isCancelled())
            cancel();
    }
}
