#pragma once

#include "util/FolderLoopGuard.h"

#include <QString>

class IFilePropertyTotalFilesOperation;
class TaskQueue;

// Lists one folder level for the path scan and queues an operation for every sub-folder,
// following links, but never into a folder it is already inside.
class FilePropertyTotalFilesOperation {
public:
    // entered: the folders above, this one included.
    FilePropertyTotalFilesOperation(const QString &currentDirectory, const FolderLoopGuard &entered,
                                    TaskQueue *queue, IFilePropertyTotalFilesOperation *delegate);
    // Queues an operation for the folder.
    static void post(const QString &folder, const FolderLoopGuard &entered, TaskQueue *queue,
                     IFilePropertyTotalFilesOperation *delegate);
    void run() const;

private:
    QString currentDirectory_;
    FolderLoopGuard entered_;
    TaskQueue *queue_;
    IFilePropertyTotalFilesOperation *delegate_;
};
