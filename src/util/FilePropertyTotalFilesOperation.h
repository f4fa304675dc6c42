#pragma once

#include "util/FolderLoopGuard.h"

#include <QRunnable>
#include <QString>

class IFilePropertyTotalFilesOperation;
class QThreadPool;

// Lists one folder level for the path scan and queues an operation for every sub-folder,
// following links, but never into a folder it is already inside.
class FilePropertyTotalFilesOperation : public QRunnable {
public:
    // entered: the folders above, this one included.
    FilePropertyTotalFilesOperation(const QString &currentDirectory, const FolderLoopGuard &entered,
                                    QThreadPool *queue, IFilePropertyTotalFilesOperation *delegate);
    void run() override;

private:
    QString currentDirectory_;
    FolderLoopGuard entered_;
    QThreadPool *queue_;
    IFilePropertyTotalFilesOperation *delegate_;
};
