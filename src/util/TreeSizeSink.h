#pragma once

#include "util/ScanOptions.h"

#include <QtGlobal>

#include <optional>

// How a per-folder size operation reports to its scanner. Called from the queue's threads.
class TreeSizeSink {
public:
    virtual ~TreeSizeSink() = default;
    virtual void increaseSize(quint64 size) = 0;
    virtual void increaseFolderNumber() = 0;
    virtual void increaseFileNumber() = 0;
    virtual const std::optional<ScanOptions> &propertyOptions() const = 0;
    // The scan was cancelled: stop at the next item.
    virtual bool isCancelled() const = 0;
};
