#include "document/DocumentWorker.h"

#include "document/IDocumentView.h"
#include "document/MainThread.h"
#include "util/Cancellation.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

DocumentWorker::DocumentWorker(IDocumentView &view, QObject *parent)
    : QObject(parent)
    , view_(view) {
}

DocumentWorker::~DocumentWorker() {
    cancelThread();
}

bool DocumentWorker::startThread(const Task &task, bool animating) {
    if (executing_)
        return false;
    executing_ = true;
    if (animating)
        showProgress(false);
    currentThread_ = QThread::create([this, task] { pendingEnding_ = task(); });
    // Queued to this object, so the ending runs on the main thread after the thread has stopped.
    connect(currentThread_, &QThread::finished, this, &DocumentWorker::onThreadFinished,
            Qt::QueuedConnection);
    currentThread_->start();
    return true;
}

void DocumentWorker::onThreadFinished() {
    currentThread_->wait();
    delete currentThread_;
    currentThread_ = nullptr;
    const Ending ending = std::move(pendingEnding_);
    pendingEnding_ = nullptr;
    // Not executing before the ending runs: an ending may start the next task.
    executing_ = false;
    if (ending)
        ending();
    emit taskEnded();
}

void DocumentWorker::cancelThread() {
    while (executing_) {
        // An ending may have started another task meanwhile; it is cancelled as well.
        markCancelled();
        QEventLoop slice;
        QTimer::singleShot(50, &slice, &QEventLoop::quit);
        connect(this, &DocumentWorker::taskEnded, &slice, &QEventLoop::quit);
        slice.exec();
    }
}

void DocumentWorker::markCancelled() {
    if (currentThread_)
        currentThread_->requestInterruption();
}

void DocumentWorker::showProgress(bool indeterminate) {
    MainThread::perform([&] { view_.showProgress(indeterminate); });
}

void DocumentWorker::setTotal(quint64 total) {
    MainThread::perform([&] {
        totalSize_ = total;
        currentSize_ = 0;
        view_.setProgressBottomText(QString());
        view_.setProgressMaxValue(totalSize_);
        view_.setProgressValue(0);
    });
}

void DocumentWorker::addDone(quint64 bytes) {
    showProgress([bytes](quint64 current) { return current + bytes; });
}

void DocumentWorker::setDone(quint64 bytes) {
    showProgress([bytes](quint64) { return bytes; });
}

void DocumentWorker::showProgress(const std::function<quint64(quint64)> &nextSize) {
    // Read on the reporting thread before hopping: pieces finished after a cancel are not shown.
    if (isCurrentThreadCancelled())
        return;
    MainThread::perform([&] {
        currentSize_ = nextSize(currentSize_);
        view_.setProgressValue(currentSize_);
        if (totalSize_ != 0)
            view_.setProgressBottomText(
                QString::asprintf("%.1f%%", double(currentSize_) * 100.0 / double(totalSize_)));
    });
}
