#include "util/TreeScan.h"

#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileTree.h"

TreeScan::TreeScan(const QStringList &URLs)
    : URLs_(URLs) {
}

void TreeScan::cancel() {
    QMutexLocker locker(&lock_);
    cancelled_.store(true);
    queue_.clear();
}

std::optional<QStringList> TreeScan::singleFolderContents() const {
    if (URLs_.size() != 1 || !FileAttributes::isFolder(URLs_.first()))
        return std::nullopt;
    return FileTree::contentsOfFolder(URLs_.first());
}

void TreeScan::waitForQueue() {
    constexpr auto kSlice = std::chrono::milliseconds(50);
    while (!queue_.waitFor(kSlice)) {
        if (isCurrentThreadCancelled() && !isCancelled())
            cancel();
    }
}
