#pragma once

#include <QStringList>

// How a per-folder path operation reports to its scanner. Called from the queue's threads.
class IFilePropertyTotalFilesOperation {
public:
    virtual ~IFilePropertyTotalFilesOperation() = default;
    // Appends the paths to the scanner's list; always true.
    virtual bool addFiles(const QStringList &paths) = 0;
    // The scan was cancelled: stop at the next item.
    virtual bool isCancelled() const = 0;
};
