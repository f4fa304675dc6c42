#pragma once

#include "util/TreeSizeScan.h"

// The total size plus the number of files and folders: the scan behind the document's status
// line and its compression progress.
class TreeCountScan : public TreeSizeScan {
public:
    using TreeSizeScan::TreeSizeScan;

    quint64 folderNumber() const;
    quint64 fileNumber() const;

    void increaseFolderNumber() override;
    void increaseFileNumber() override;

private:
    quint64 folderNumber_ = 0;
    quint64 fileNumber_ = 0;
};
