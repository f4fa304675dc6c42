#include "app/window/FileSizeThread.h"

#include "settings/Preferences.h"
#include "util/Cancellation.h"
#include "util/TreeCountScan.h"

#include <QThread>

FileSizeThread::FileSizeThread(QObject *parent)
    : QObject(parent) {
}

FileSizeThread::~FileSizeThread() {
    cancel();
    for (QThread *thread : threads_) {
        thread->wait();
        delete thread;
    }
}

void FileSizeThread::cancel() {
    // Only this window's scan is stopped, by its thread's mark.
    if (filesizeThread_)
        filesizeThread_->requestInterruption();
    filesizeThread_ = nullptr;
    ++generation_;
}

void FileSizeThread::computeSize(const QStringList &paths) {
    cancel();
    const quint64 current = generation_;
    const bool ignoreHidden = Preferences::ignoreHiddenFiles();
    QThread *thread = QThread::create([this, paths, current, ignoreHidden] {
        TreeCountScan scanner(paths);
        scanner.setIsContainsSelf(false);
        scanner.setPropertyOptions(ScanOptions::instance(ignoreHidden));
        scanner.execute();
        if (isCurrentThreadCancelled())
            return;
        const quint64 count = scanner.fileNumber() + scanner.folderNumber();
        const quint64 size = scanner.totalSize();
        QMetaObject::invokeMethod(
            this, [=, this] { deliver(current, count, size, paths); }, Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, this, [this, thread] {
        threads_.removeOne(thread);
        if (filesizeThread_ == thread)
            filesizeThread_ = nullptr;
        thread->deleteLater();
    });
    threads_.append(thread);
    filesizeThread_ = thread;
    thread->start();
}

void FileSizeThread::deliver(quint64 resultGeneration, quint64 itemCount, quint64 totalSize,
                             const QStringList &paths) {
    // A result that was on its way when its computation was cancelled is dropped here.
    if (resultGeneration == generation_)
        emit computed(itemCount, totalSize, paths);
}
