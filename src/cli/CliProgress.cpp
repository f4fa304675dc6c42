#include "cli/CliProgress.h"

#include "util/FileUtil.h"

#include <cstdio>
#include <unistd.h>

CliProgress::CliProgress()
    : enabled(::isatty(STDERR_FILENO) == 1) {
    clock.start();
}

void CliProgress::addDone(quint64 bytes) {
    QMutexLocker locker(&lock);
    current += bytes;
    draw(false);
}

void CliProgress::setDone(quint64 bytes) {
    QMutexLocker locker(&lock);
    current = bytes;
    draw(false);
}

void CliProgress::setTotalSize(quint64 size) {
    QMutexLocker locker(&lock);
    total = size;
    current = 0;
    clock.restart();
}

void CliProgress::finish() {
    QMutexLocker locker(&lock);
    if (lastDraw < 0)
        return;
    if (total > 0)
        current = total;
    draw(true);
    std::fputc('\n', stderr);
    lastDraw = -1;
}

void CliProgress::draw(bool force) {
    const qint64 now = clock.elapsed();
    if (!enabled || (!force && lastDraw >= 0 && now - lastDraw < 100))
        return;
    lastDraw = now;
    constexpr int kWidth = 30;
    const double fraction = total > 0 ? qMin(1.0, double(current) / double(total)) : 0.0;
    const int filled = int(fraction * kWidth);
    const double rate = now > 0 ? double(current) * 1000.0 / double(now) : 0.0;
    std::fprintf(stderr, "\r[%s%s] %3d%%  %s/%s  %s/s  ", QByteArray(filled, '#').constData(),
                 QByteArray(kWidth - filled, ' ').constData(), int(fraction * 100),
                 qPrintable(FileUtil::formatSize(current)), qPrintable(FileUtil::formatSize(total)),
                 qPrintable(FileUtil::formatSize(quint64(rate))));
    std::fflush(stderr);
}
