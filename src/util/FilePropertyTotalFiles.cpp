#include "util/FilePropertyTotalFiles.h"

#include "util/FilePropertyTotalFilesOperation.h"
#include "util/FileTree.h"
#include "util/FileUtil.h"

FilePropertyTotalFiles::FilePropertyTotalFiles(const QString &fileURL)
    : TreeScan({fileURL}, true, {kCancelNotification}) {
}

FilePropertyTotalFiles::FilePropertyTotalFiles(const QStringList &URLs)
    : TreeScan(URLs, false, {kCancelNotification}) {
}

QStringList FilePropertyTotalFiles::execute() {
    QStringList items = URLs();
    FolderLoopGuard above;
    if (const auto contents = singleFolderContents()) {
        addFiles({items.first()});
        above = *above.enter(items.first());
        items = *contents;
    }
    for (const QString &item : items) {
        if (isCancelled())
            break;
        scanItem(item, above);
    }
    waitForQueue();
    return files();
}

void FilePropertyTotalFiles::scanItem(const QString &item, const FolderLoopGuard &above) {
    const QString path = FileTree::resolveSymlinks(item);
    const bool isFolder = FileUtil::isFolder(path);
    if (isFolder && excludedFolder() == path)
        return;
    addFiles({path});
    if (!isFolder)
        return;
    if (const auto entered = above.enter(path))
        FilePropertyTotalFilesOperation::post(path, *entered, queue(), this);
}

QStringList FilePropertyTotalFiles::files() const {
    QMutexLocker locker(&lock_);
    return files_;
}

bool FilePropertyTotalFiles::addFiles(const QStringList &paths) {
    QMutexLocker locker(&lock_);
    files_.append(paths);
    return true;
}
