#include "cli/CancellableRun.h"

#include <QThread>

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> interrupted = false;

void onInterrupt(int) {
    interrupted = true;
}

} // namespace

bool runCancellable(const std::function<void()> &work) {
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous = {};
    sigaction(SIGINT, &action, &previous);

    QThread *worker = QThread::create(work);
    worker->start();
    while (!worker->wait(50)) {
        if (interrupted)
            worker->requestInterruption();
    }
    delete worker;
    sigaction(SIGINT, &previous, nullptr);
    return interrupted;
}
