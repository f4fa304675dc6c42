#include "cli/CliProgress.h"

#include "util/StringUtil.h"

#include <cstdio>
#include <unistd.h>

CliProgress::CliProgress()
    : enabled_(::isatty(STDERR_FILENO) == 1) {
    clock_.start();
}

void CliProgress::addDone(quint64 bytes) {
    QMutexLocker locker(&lock_);
    current_ += bytes;
    draw(false);
}

void CliProgress::setDone(quint64 bytes) {
    QMutexLocker locker(&lock_);
    current_ = bytes;
    draw(false);
}

void CliProgress::setTotalSize(quint64 size) {
    QMutexLocker locker(&lock_);
    total_ = size;
    current_ = 0;
    clock_.restart();
}

void CliProgress::finish() {
    QMutexLocker locker(&lock_);
    if (lastDraw_ < 0)
        return;
    if (total_ > 0)
        current_ = total_;
    draw(true);
    std::fputc('\n', stderr);
    lastDraw_ = -1;
}

void CliProgress::draw(bool force) {
    const qint64 now = clock_.elapsed();
    if (!enabled_ || (!force && lastDraw_ >= 0 && now - lastDraw_ < 100))
        return;
    lastDraw_ = now;
    constexpr int kWidth = 30;
    const double fraction = total_ > 0 ? qMin(1.0, double(current_) / double(total_)) : 0.0;
    const int filled = int(fraction * kWidth);
    const double rate = now > 0 ? double(current_) * 1000.0 / double(now) : 0.0;
    std::fprintf(stderr, "\r[%s%s] %3d%%  %s/%s  %s/s  ", QByteArray(filled, '#').constData(),
                 QByteArray(kWidth - filled, ' ').constData(), int(fraction * 100),
                 qPrintable(StringUtil::formatSize(current_)),
                 qPrintable(StringUtil::formatSize(total_)),
                 qPrintable(StringUtil::formatSize(quint64(rate))));
    std::fflush(stderr);
}
