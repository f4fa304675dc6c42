#include "util/FolderSizeTask.h"

#include "util/FileTree.h"
#include "util/TreeScan.h"
#include "util/TreeSizeSink.h"

#include <QFile>
#include <QThreadPool>

#include <sys/stat.h>

FolderSizeTask::FolderSizeTask(const QString &currentDirectory, QThreadPool *queue,
                               TreeSizeSink *delegate)
    : currentDirectory(currentDirectory)
    , queue(queue)
    , delegate(delegate) {
}

void FolderSizeTask::run() {
    if (delegate->isCancelled())
        return;
    const bool skipsHidden = ScanOptions::ignoresHidden(delegate->propertyOptions());
    quint64 sum = 0;
    for (const QString &path : FileTree::contentsOfFolder(currentDirectory, skipsHidden)) {
        if (delegate->isCancelled())
            break;
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            delegate->increaseFolderNumber();
            queue->start(new FolderSizeTask(path, queue, delegate), TreeScan::kNestedPriority);
        } else {
            delegate->increaseFileNumber();
            sum += quint64(st.st_size);
        }
    }
    // A cancelled folder still reports what it has counted so far.
    delegate->increaseSize(sum);
}
