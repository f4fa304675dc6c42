#include "util/FilePropertyTotalFilesOperation.h"

#include "util/FileTree.h"
#include "util/FileUtil.h"
#include "util/IFilePropertyTotalFilesOperation.h"
#include "util/TreeScan.h"

#include <QThreadPool>

FilePropertyTotalFilesOperation::FilePropertyTotalFilesOperation(
    const QString &currentDirectory, const FolderLoopGuard &entered, QThreadPool *queue,
    IFilePropertyTotalFilesOperation *delegate)
    : currentDirectory_(currentDirectory)
    , entered_(entered)
    , queue_(queue)
    , delegate_(delegate) {
}

void FilePropertyTotalFilesOperation::run() {
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
            queue_->start(new FilePropertyTotalFilesOperation(path, *inner, queue_, delegate_),
                          TreeScan::kNestedPriority);
    }
    delegate_->addFiles(found);
}
