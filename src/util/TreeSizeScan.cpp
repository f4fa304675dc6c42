#include "util/TreeSizeScan.h"

#include "util/FileAttributes.h"
#include "util/FileTree.h"
#include "util/FolderSizeTask.h"

TreeSizeScan::TreeSizeScan(const QStringList &URLs)
    : TreeScan(URLs) {
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
    if (FileAttributes::isFolder(path)) {
        increaseFolderNumber();
        FolderSizeTask::post(path, queue(), this);
        return;
    }
    increaseFileNumber();
    increaseSize(FileAttributes::fileSize(path));
}

quint64 TreeSizeScan::totalSize() const {
    QMutexLocker locker(&lock_);
    return totalSize_;
}

void TreeSizeScan::increaseSize(quint64 size) {
    QMutexLocker locker(&lock_);
    totalSize_ += size;
}
