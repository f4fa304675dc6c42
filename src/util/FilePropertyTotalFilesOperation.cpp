#include "util/FilePropertyTotalFilesOperation.h"

#include "util/FileTree.h"
#include "util/FileUtil.h"
#include "util/IFilePropertyTotalFilesOperation.h"
#include "util/TreeScan.h"

#include <QThreadPool>

FilePropertyTotalFilesOperation::FilePropertyTotalFilesOperation(
    const QString &currentDirectory, const FolderLoopGuard &entered, QThreadPool *queue,
    IFilePropertyTotalFilesOperation *delegate)
    : currentDirectory(currentDirectory)
    , entered(entered)
    , queue(queue)
    , delegate(delegate) {
}

void FilePropertyTotalFilesOperation::run() {
    if (delegate->isCancelled())
        return;
    QStringList found;
    for (const QString &path : FileTree::contentsOfFolder(currentDirectory)) {
        if (delegate->isCancelled())
            break;
        found.append(path);
        if (!FileUtil::isFolder(path))
            continue;
        if (const auto inner = entered.enter(path))
            queue->start(new FilePropertyTotalFilesOperation(path, *inner, queue, delegate),
                         TreeScan::kNestedPriority);
    }
    delegate->addFiles(found);
}
