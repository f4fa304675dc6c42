#pragma once

#include <QRunnable>
#include <QString>

class TreeSizeSink;
class QThreadPool;

// Totals one folder level: files, links and other items add their own size, sub-folders are
// counted and queued as operations of their own. Links are never followed here.
class FolderSizeTask : public QRunnable {
public:
    FolderSizeTask(const QString &currentDirectory, QThreadPool *queue, TreeSizeSink *delegate);
    void run() override;

private:
    QString currentDirectory_;
    QThreadPool *queue_;
    TreeSizeSink *delegate_;
};
