#include "util/TreeSizeScan.h"

#include "util/FileTree.h"
#include "util/FileUtil.h"
#include "util/FolderSizeTask.h"

namespace {
const QStringList kObserved = {TreeScan::kCancelNotification,
                               TreeSizeScan::kTotalSizeCancelNotification};
} // namespace

TreeSizeScan::TreeSizeScan(const QString &fileURL)
    : TreeScan({fileURL}, true, kObserved) {
}

TreeSizeScan::TreeSizeScan(const QStringList &URLs)
    : TreeScan(URLs, false, kObserved) {
}

quint64 TreeSizeScan::totalSizeOf(const QString &fileURL) {
    return TreeSizeScan(fileURL).execute();
}

quint64 TreeSizeScan::totalSizeOf(const QStringList &URLs) {
    return TreeSizeScan(URLs).execute();
}

quint64 TreeSizeScan::execute() {
    QStringList items = URLs();
    if (const auto contents = singleFolderContents()) {
        if (isContainsSelf())
            increaseFolderNumber();
        items = *contents;
    }
    for (const QString &item : items) {
        if (isCancelled())
            break;
        scanItem(item);
    }
    waitForQueue();
    return totalSize();
}

void TreeSizeScan::scanItem(const QString &item) {
    const QString path = FileTree::resolveSymlinks(item);
    if (ScanOptions::ignoresHidden(propertyOptions()) && FileTree::isHiddenPath(path))
        return;
    if (FileUtil::isFolder(path)) {
        if (excludedFolder() == path)
            return;
        increaseFolderNumber();
        FolderSizeTask::post(path, queue(), this);
        return;
    }
    increaseFileNumber();
    increaseSize(FileUtil::fileSize(path));
}

quint64 TreeSizeScan::totalSize() const {
    QMutexLocker locker(&lock_);
    return totalSize_;
}

void TreeSizeScan::increaseSize(quint64 size) {
    QMutexLocker locker(&lock_);
    totalSize_ += size;
}
