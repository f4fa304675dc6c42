#pragma once

#include "util/FileGrowth.h"
#include "util/TaskQueue.h"

#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <atomic>
#include <memory>

class MemoryBlock;

// Takes a decompressor's output while readers on other threads follow it: into memory while it
// fits, so that no file is written and the readers copy nothing; beyond that into a temporary
// file, which then also takes what memory held, so that once decompression is done the file
// alone is the whole data. The file is written on a strand of the pool: decompressing, writing
// and following overlap.
class DecodedStaging {
public:
    // memory: where the first bytes go (null for none); path: the temporary file, created only
    // when the data outgrows the memory.
    DecodedStaging(std::unique_ptr<MemoryBlock> memory, QString path);
    ~DecodedStaging();
    DecodedStaging(const DecodedStaging &) = delete;
    DecodedStaging &operator=(const DecodedStaging &) = delete;

    // Where the next length bytes may be decoded in place, so that append() copies nothing:
    // the end of the memory while it has that much room, else null.
    char *freeSpace(qint64 length) const;
    // False once writing the file has failed; writeErrno() tells why.
    bool append(const char *data, qint64 length);
    // Waits for the file's writes and tells the followers that no more bytes come; false when
    // a write failed.
    bool finish();

    // How far the data has got, for the followers.
    const FileGrowth &growth() const { return growth_; }
    // The memory the first bytes go to, valid up to the growth's size; the bytes beyond it are
    // in the file at path().
    QByteArrayView memory() const;
    const QString &path() const { return path_; }
    bool spilled() const { return spilled_; }
    qint64 size() const { return size_; }
    int writeErrno() const { return writeErrno_; }
    // After finish(), when the data stayed in memory: the block, cut to the data's size.
    std::unique_ptr<MemoryBlock> takeMemory();

private:
    static constexpr qint64 kWriteBudget = qint64{8} * 1024 * 1024;

    // Creates the file and writes what memory holds into it.
    bool spill();
    void fail(int error);

    std::unique_ptr<MemoryBlock> memory_;
    const QString path_;
    QFile file_;
    FileGrowth growth_;
    qint64 size_ = 0;
    bool spilled_ = false;
    std::atomic<bool> failed_ = false;
    std::atomic<int> writeErrno_ = 0;
    TaskQueue writes_{{.width = 1, .budget = kWriteBudget}};
};
