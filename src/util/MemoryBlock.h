#pragma once

#include <QByteArrayView>

#include <memory>

// A block of private memory for data too large for the heap but small beside the memory the
// system has free, such as a decompressed tar: kept out of every file system, given back as a
// whole when the block goes.
class MemoryBlock {
public:
    // A block of size bytes; null when it would take more than a quarter of the memory now
    // available, or cannot be had.
    static std::unique_ptr<MemoryBlock> reserve(qint64 size);
    ~MemoryBlock();
    MemoryBlock(const MemoryBlock &) = delete;
    MemoryBlock &operator=(const MemoryBlock &) = delete;

    char *data() const { return data_; }
    qint64 size() const { return size_; }
    QByteArrayView bytes() const { return {data_, size_}; }

private:
    MemoryBlock(char *data, qint64 size)
        : data_(data)
        , size_(size) {}

    char *const data_;
    const qint64 size_;
};
