#include "cli/CancellableRun.h"

#include <QThread>

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> caughtSignal = 0;

void onSignal(int signal) {
    caughtSignal = signal;
}

} // namespace

void catchInterruptions() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

std::optional<CliExit> interruptionExit() {
    switch (caughtSignal) {
    case 0:
        return std::nullopt;
    case SIGTERM:
        return ExitTerminated;
    case SIGHUP:
        return ExitHangUp;
    default:
        return ExitInterrupted;
    }
}

std::optional<CliExit> runCancellable(const std::function<void()> &work) {
    if (caughtSignal)
        return interruptionExit();
    QThread *worker = QThread::create(work);
    worker->start();
    while (!worker->wait(50)) {
        if (caughtSignal)
            worker->requestInterruption();
    }
    delete worker;
    return interruptionExit();
}
