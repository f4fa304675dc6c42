#pragma once

#include "util/TreeScan.h"
#include "util/TreeSizeSink.h"

// Totals the bytes of files below the input items, walking folders in parallel. Input items
// that are links are followed; links found inside folders count with their own size.
class TreeSizeScan : public TreeScan, public TreeSizeSink {
public:
    // A single folder in the list is not counted itself unless setIsContainsSelf says so.
    explicit TreeSizeScan(const QStringList &URLs);

    // Runs the whole scan on the calling thread; the total in bytes, partial when cancelled.
    quint64 execute();
    quint64 totalSize() const;

    // TreeSizeSink
    void increaseSize(quint64 size) override;
    void increaseFolderNumber() override {}
    void increaseFileNumber() override {}
    const std::optional<ScanOptions> &propertyOptions() const override {
        return TreeScan::propertyOptions();
    }
    bool isCancelled() const override { return TreeScan::isCancelled(); }

private:
    void scanItem(const QString &item);

    quint64 totalSize_ = 0;
};
