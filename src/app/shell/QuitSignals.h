#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP (a logout, kill, a closed terminal) into a clean quit through the
// event loop, so that the usual cleanup at quit runs: the handler only writes a byte to a pipe
// that a socket notifier watches. One per process.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    // Emitted on the main thread once a signal came.
    void quitRequested();

private:
    static void onSignal(int signal);

    QSocketNotifier *notifier_ = nullptr;
};
