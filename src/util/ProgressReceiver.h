#pragma once

#include <QtGlobal>

// Receiver of progress reports from readers, the zip writer and the chunked copy.
// Every operation is optional; the defaults do nothing.
class ProgressReceiver {
public:
    virtual ~ProgressReceiver() = default;
    // That many more bytes were written since the previous report.
    virtual void addDone(quint64 bytes) { Q_UNUSED(bytes); }
    // The absolute number of bytes processed so far; replaces the running count.
    virtual void setDone(quint64 bytes) { Q_UNUSED(bytes); }
    virtual quint64 currentSize() const { return 0; }
    virtual quint64 totalSize() const { return 0; }
    virtual void setTotalSize(quint64 size) { Q_UNUSED(size); }
};
