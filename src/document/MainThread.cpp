#include "document/MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace MainThread {

bool isMainThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void perform(const std::function<void()> &call) {
    if (isMainThread())
        call();
    else
        QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::BlockingQueuedConnection);
}

void queue(QObject *context, const std::function<void()> &call) {
    QMetaObject::invokeMethod(context, call, Qt::QueuedConnection);
}

} // namespace MainThread
