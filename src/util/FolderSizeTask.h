#pragma once

#include <QString>

class TaskQueue;
class TreeSizeSink;

// Totals one folder level: files, links and other items add their own size, sub-folders are
// counted and queued as operations of their own. Links are never followed here.
class FolderSizeTask {
public:
    FolderSizeTask(const QString &currentDirectory, TaskQueue *queue, TreeSizeSink *delegate);
    // Queues an operation for the folder.
    static void post(const QString &folder, TaskQueue *queue, TreeSizeSink *delegate);
    void run() const;

private:
    QString currentDirectory_;
    TaskQueue *queue_;
    TreeSizeSink *delegate_;
};
