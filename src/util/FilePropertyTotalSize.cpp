#include "util/FilePropertyTotalSize.h"

#include "util/FileTotalSizeOperation.h"
#include "util/FileTree.h"
#include "util/FileUtil.h"

namespace {
const QStringList kObserved = {FilePropertyBase::kCancelNotification,
                               FilePropertyTotalSize::kTotalSizeCancelNotification};
} // namespace

FilePropertyTotalSize::FilePropertyTotalSize(const QString &fileURL)
    : FilePropertyBase({fileURL}, true, kObserved) {
}

FilePropertyTotalSize::FilePropertyTotalSize(const QStringList &URLs)
    : FilePropertyBase(URLs, false, kObserved) {
}

quint64 FilePropertyTotalSize::filesizeWithURL(const QString &fileURL) {
    return FilePropertyTotalSize(fileURL).execute();
}

quint64 FilePropertyTotalSize::filesizeWithURLs(const QStringList &URLs) {
    return FilePropertyTotalSize(URLs).execute();
}

quint64 FilePropertyTotalSize::execute() {
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

void FilePropertyTotalSize::scanItem(const QString &item) {
    const QString path = FileTree::resolveSymlinks(item);
    if (FilePropertyOptions::ignoresHidden(propertyOptions()) && FileTree::isHiddenPath(path))
        return;
    if (FileUtil::isDirectoryFilePath(path)) {
        if (sytemDirectory() == path)
            return;
        increaseFolderNumber();
        queue()->start(new FileTotalSizeOperation(path, queue(), this), kTopLevelPriority);
        return;
    }
    increaseFileNumber();
    increaseSize(FileUtil::getFileSize(path));
}

quint64 FilePropertyTotalSize::totalSize() const {
    QMutexLocker locker(&lock);
    return totalSize_;
}

void FilePropertyTotalSize::increaseSize(quint64 size) {
    QMutexLocker locker(&lock);
    totalSize_ += size;
}
