#pragma once

#include "util/FilePropertyBase.h"
#include "util/IFileTotalSizeOperation.h"

// Totals the bytes of files below the input items, walking folders in parallel. Input items
// that are links are followed; links found inside folders count with their own size.
class FilePropertyTotalSize : public FilePropertyBase, public IFileTotalSizeOperation {
public:
    static inline const QString kTotalSizeCancelNotification =
        QStringLiteral("FilePropertyTotalSizeCancelNotification");

    // One item, which counts itself when it is a folder.
    explicit FilePropertyTotalSize(const QString &fileURL);
    // A list of items; the single-folder case does not count the folder itself.
    explicit FilePropertyTotalSize(const QStringList &URLs);

    static quint64 filesizeWithURL(const QString &fileURL);
    static quint64 filesizeWithURLs(const QStringList &URLs);

    // Runs the whole scan on the calling thread; the total in bytes, partial when cancelled.
    quint64 execute();
    quint64 totalSize() const;

    // IFileTotalSizeOperation
    void increaseSize(quint64 size) override;
    void increaseFolderNumber() override {}
    void increaseFileNumber() override {}
    const std::optional<FilePropertyOptions> &propertyOptions() const override {
        return FilePropertyBase::propertyOptions();
    }
    bool isCancelled() const override { return FilePropertyBase::isCancelled(); }

private:
    void scanItem(const QString &item);

    quint64 totalSize_ = 0;
};
