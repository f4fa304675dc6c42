#pragma once

#include "util/FolderLoopGuard.h"
#include "util/IFilePropertyTotalFilesOperation.h"
#include "util/TreeScan.h"

// Collects the full paths of the input items and of everything below them, walking folders in
// parallel and following links to folders (each cycle of links is entered once). The paths of
// one folder appear together; no order beyond that. Hidden items are always listed.
class FilePropertyTotalFiles : public TreeScan, public IFilePropertyTotalFilesOperation {
public:
    explicit FilePropertyTotalFiles(const QString &fileURL);
    explicit FilePropertyTotalFiles(const QStringList &URLs);

    // Runs the whole scan on the calling thread; the paths, partial when cancelled.
    QStringList execute();
    QStringList files() const;

    // IFilePropertyTotalFilesOperation
    bool addFiles(const QStringList &paths) override;
    bool isCancelled() const override { return TreeScan::isCancelled(); }

private:
    void scanItem(const QString &item, const FolderLoopGuard &above);

    QStringList files_;
};
