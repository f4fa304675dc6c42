#include "util/FolderSizeTask.h"

#include "util/FileTree.h"
#include "util/TaskQueue.h"
#include "util/TreeSizeSink.h"

#include <QFile>

#include <sys/stat.h>

FolderSizeTask::FolderSizeTask(const QString &currentDirectory, TaskQueue *queue,
                               TreeSizeSink *delegate)
    : currentDirectory_(currentDirectory)
    , queue_(queue)
    , delegate_(delegate) {
}

void FolderSizeTask::post(const QString &folder, TaskQueue *queue, TreeSizeSink *delegate) {
    queue->post([task = FolderSizeTask(folder, queue, delegate)] { task.run(); });
}

void FolderSizeTask::run() const {
    if (delegate_->isCancelled())
        return;
    const bool skipsHidden = ScanOptions::ignoresHidden(delegate_->propertyOptions());
    quint64 sum = 0;
    for (const QString &path : FileTree::contentsOfFolder(currentDirectory_, skipsHidden)) {
        if (delegate_->isCancelled())
            break;
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            delegate_->increaseFolderNumber();
            post(path, queue_, delegate_);
        } else {
            delegate_->increaseFileNumber();
            sum += quint64(st.st_size);
        }
    }
    // A cancelled folder still reports what it has counted so far.
    delegate_->increaseSize(sum);
}
