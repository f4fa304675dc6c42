#include "util/FileTotalSizeOperation.h"

#include "util/FilePropertyBase.h"
#include "util/FileTree.h"
#include "util/IFileTotalSizeOperation.h"

#include <QFile>
#include <QThreadPool>

#include <sys/stat.h>

FileTotalSizeOperation::FileTotalSizeOperation(const QString &currentDirectory, QThreadPool *queue,
                                               IFileTotalSizeOperation *delegate)
    : currentDirectory(currentDirectory)
    , queue(queue)
    , delegate(delegate) {
}

void FileTotalSizeOperation::run() {
    if (delegate->isCancelled())
        return;
    const bool skipsHidden = FilePropertyOptions::ignoresHidden(delegate->propertyOptions());
    quint64 sum = 0;
    for (const QString &path : FileTree::contentsOfFolder(currentDirectory, skipsHidden)) {
        if (delegate->isCancelled())
            break;
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            delegate->increaseFolderNumber();
            queue->start(new FileTotalSizeOperation(path, queue, delegate),
                         FilePropertyBase::kNestedPriority);
        } else {
            delegate->increaseFileNumber();
            sum += quint64(st.st_size);
        }
    }
    // A cancelled folder still reports what it has counted so far.
    delegate->increaseSize(sum);
}
