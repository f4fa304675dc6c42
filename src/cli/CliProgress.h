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
    quint64 currentSize() const override { return current_; }
    quint64 totalSize() const override { return total_; }
    void setTotalSize(quint64 size) override;
    // Ends the bar's line.
    void finish();

private:
    void draw(bool force);

    bool enabled_;
    QMutex lock_;
    quint64 current_ = 0;
    quint64 total_ = 0;
    QElapsedTimer clock_;
    qint64 lastDraw_ = -1;
};
