#pragma once

#include <QThread>

// The one checkpoint every long loop polls: the running thread's interruption mark, which the
// document (or the command-line tool) sets to cancel.
inline bool isCurrentThreadCancelled() {
    return QThread::currentThread()->isInterruptionRequested();
}
