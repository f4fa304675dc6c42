#include "util/FilePropertyFileNumAndSize.h"

quint64 FilePropertyFileNumAndSize::folderNumber() const {
    QMutexLocker locker(&lock);
    return folderNumber_;
}

quint64 FilePropertyFileNumAndSize::fileNumber() const {
    QMutexLocker locker(&lock);
    return fileNumber_;
}

void FilePropertyFileNumAndSize::increaseFolderNumber() {
    QMutexLocker locker(&lock);
    ++folderNumber_;
}

void FilePropertyFileNumAndSize::increaseFileNumber() {
    QMutexLocker locker(&lock);
    ++fileNumber_;
}
