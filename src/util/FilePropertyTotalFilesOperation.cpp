#include "util/FilePropertyTotalFilesOperation.h"

#include "util/FileTree.h"
#include "util/FileUtil.h"
#include "util/IFilePropertyTotalFilesOperation.h"
#include "util/TaskQueue.h"

FilePropertyTotalFilesOperation::FilePropertyTotalFilesOperation(
    const QString &currentDirectory, const FolderLoopGuard &entered, TaskQueue *queue,
    IFilePropertyTotalFilesOperation *delegate)
    : currentDirectory_(currentDirectory)
    , entered_(entered)
    , queue_(queue)
    , delegate_(delegate) {
}

void FilePropertyTotalFilesOperation::post(const QString &folder, const FolderLoopGuard &entered,
                                           TaskQueue *queue,
                                           IFilePropertyTotalFilesOperation *delegate) {
    queue->post(
        [task = FilePropertyTotalFilesOperation(folder, entered, queue, delegate)] { task.run(); });
}

void FilePropertyTotalFilesOperation::run() const {
    if (delegate_->isCancelled())
        return;
    QStringList found;
    for (const QString &path : FileTree::contentsOfFolder(currentDirectory_)) {
        if (delegate_->isCancelled())
            break;
        found.append(path);
        if (!FileUtil::isFolder(path))
            continue;
        if (const auto inner = entered_.enter(path))
            post(path, *inner, queue_, delegate_);
    }
    delegate_->addFiles(found);
}
