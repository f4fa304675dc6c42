#include "util/TreeCountScan.h"

quint64 TreeCountScan::folderNumber() const {
    QMutexLocker locker(&lock);
    return folderNumber_;
}

quint64 TreeCountScan::fileNumber() const {
    QMutexLocker locker(&lock);
    return fileNumber_;
}

void TreeCountScan::increaseFolderNumber() {
    QMutexLocker locker(&lock);
    ++folderNumber_;
}

void TreeCountScan::increaseFileNumber() {
    QMutexLocker locker(&lock);
    ++fileNumber_;
}
