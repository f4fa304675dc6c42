#pragma once

#include "util/ProgressReceiver.h"

#include <QElapsedTimer>
#include <QMutex>

// A progress bar on stderr: bytes done of the total, percentage and rate. Silent unless stderr
// is a terminal.
class CliProgress : public ProgressReceiver {
public:
    CliProgress();
    void addDone(quint64 bytes) override;
    void setDone(quint64 bytes) override;
    quint64 currentSize() const override { return current; }
    quint64 totalSize() const override { return total; }
    void setTotalSize(quint64 size) override;
    // Ends the bar's line.
    void finish();

private:
    void draw(bool force);

    bool enabled;
    QMutex lock;
    quint64 current = 0;
    quint64 total = 0;
    QElapsedTimer clock;
    qint64 lastDraw = -1;
};
