#include "util/TreeCountScan.h"

quint64 TreeCountScan::folderNumber() const {
    QMutexLocker locker(&lock_);
    return folderNumber_;
}

quint64 TreeCountScan::fileNumber() const {
    QMutexLocker locker(&lock_);
    return fileNumber_;
}

void TreeCountScan::increaseFolderNumber() {
    QMutexLocker locker(&lock_);
    ++folderNumber_;
}

void TreeCountScan::increaseFileNumber() {
    QMutexLocker locker(&lock_);
    ++fileNumber_;
}
