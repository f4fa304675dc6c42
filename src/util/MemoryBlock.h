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
    // The largest block of at most limit bytes that reserve() would give; its pages take memory
    // only once written.
    static std::unique_ptr<MemoryBlock> reserveUpTo(qint64 limit);
    ~MemoryBlock();
    MemoryBlock(const MemoryBlock &) = delete;
    MemoryBlock &operator=(const MemoryBlock &) = delete;

    char *data() const { return data_; }
    qint64 size() const { return size_; }
    QByteArrayView bytes() const { return {data_, size_}; }
    // Gives back the pages beyond the first size bytes, which remain the block.
    void shrink(qint64 size);

private:
    static std::unique_ptr<MemoryBlock> map(qint64 size);
    MemoryBlock(char *data, qint64 size)
        : data_(data)
        , size_(size)
        , mapped_(size) {}

    char *const data_;
    qint64 size_;
    // The bytes mapped from data_ on: size_ rounded up to whole pages.
    qint64 mapped_;
};
