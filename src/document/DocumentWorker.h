#pragma once

#include "util/ProgressReceiver.h"

#include <QObject>

#include <atomic>
#include <functional>

class IDocumentView;
class QThread;

// A document's worker: runs one long task at a time on a fresh thread, turns the progress reports
// of readers and the zip writer into the sheet's bar and percentage, and cancels by the thread's
// interruption mark. Owned and driven by the main thread.
class DocumentWorker : public QObject, public ProgressReceiver {
    Q_OBJECT

public:
    // What runs on the main thread once a task's thread has stopped.
    using Ending = std::function<void()>;
    // Runs on the worker thread; returns its ending.
    using Task = std::function<Ending()>;

    explicit DocumentWorker(IDocumentView &view, QObject *parent = nullptr);
    ~DocumentWorker() override;

    // Starts the task on a new thread, first showing the sheet with a determinate bar when
    // animating. False, and nothing started, while another task is executing.
    bool startThread(const Task &task, bool animating);
    // True from the start of a task until its ending has run.
    bool isExecuting() const { return executing_; }
    // Marks the running task cancelled and waits until it has ended, keeping the main event
    // loop turning in slices of 0.05 s so the worker's calls to the main thread are served.
    void cancelThread();
    // Marks the running task cancelled and returns at once; its ending still runs.
    void markCancelled();

    // The sheet, from any thread (the worker waits while the main thread shows it).
    void showProgress(bool indeterminate);
    // Starts counting a new total from any thread: the bar's maximum, value 0, no percentage.
    void setTotal(quint64 total);

    // ProgressReceiver: reports from a cancelled thread no longer move the bar.
    void addDone(quint64 bytes) override;
    void setDone(quint64 bytes) override;
    quint64 currentSize() const override { return currentSize_; }
    quint64 totalSize() const override { return totalSize_; }
    void setTotalSize(quint64 size) override { setTotal(size); }

signals:
    // A task's ending has run.
    void taskEnded();

private:
    void onThreadFinished();
    void showProgress(const std::function<quint64(quint64)> &nextSize);

    IDocumentView &view_;
    QThread *currentThread_ = nullptr;
    Ending pendingEnding_;
    std::atomic<bool> executing_ = false;
    quint64 currentSize_ = 0;
    quint64 totalSize_ = 0;
};
