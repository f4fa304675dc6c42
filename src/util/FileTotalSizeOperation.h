#pragma once

#include <QRunnable>
#include <QString>

class IFileTotalSizeOperation;
class QThreadPool;

// Totals one folder level: files, links and other items add their own size, sub-folders are
// counted and queued as operations of their own. Links are never followed here.
class FileTotalSizeOperation : public QRunnable {
public:
    FileTotalSizeOperation(const QString &currentDirectory, QThreadPool *queue,
                           IFileTotalSizeOperation *delegate);
    void run() override;

private:
    QString currentDirectory;
    QThreadPool *queue;
    IFileTotalSizeOperation *delegate;
};
