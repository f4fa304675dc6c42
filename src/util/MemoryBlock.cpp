#include "util/MemoryBlock.h"

#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// The memory the kernel could give without swapping ("MemAvailable"); the free pages alone
// where it does not say.
qint64 availableMemory() {
    QFile info(QStringLiteral("/proc/meminfo"));
    if (info.open(QIODevice::ReadOnly)) {
        while (!info.atEnd()) {
            const QByteArray line = info.readLine();
            if (line.startsWith("MemAvailable:"))
                return line.mid(13).trimmed().split(' ').first().toLongLong() * 1024;
        }
    }
    return qint64(::sysconf(_SC_AVPHYS_PAGES)) * ::sysconf(_SC_PAGESIZE);
}

// A decoded archive stays in memory while its document is open, so a block takes at most a
// quarter of the memory available and never more than this; larger data goes to a file.
constexpr qint64 kLargestBlock = qint64{512} * 1024 * 1024;

qint64 largestBlock() {
    return qMin(availableMemory() / 4, kLargestBlock);
}

} // namespace

std::unique_ptr<MemoryBlock> MemoryBlock::reserve(qint64 size) {
    if (size > largestBlock())
        return nullptr;
    return map(size);
}

std::unique_ptr<MemoryBlock> MemoryBlock::reserveLargest() {
    return map(largestBlock());
}

std::unique_ptr<MemoryBlock> MemoryBlock::map(qint64 size) {
    if (size <= 0)
        return nullptr;
    void *data = ::mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        return nullptr;
    // Large pages where the system lends them: far fewer faults while the block fills.
    ::madvise(data, std::size_t(size), MADV_HUGEPAGE);
    return std::unique_ptr<MemoryBlock>(new MemoryBlock(static_cast<char *>(data), size));
}

MemoryBlock::~MemoryBlock() {
    ::munmap(data_, std::size_t(size_));
}

void MemoryBlock::shrink(qint64 size) {
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 kept = (qMax<qint64>(size, 1) + page - 1) / page * page;
    if (kept < size_)
        ::munmap(data_ + kept, std::size_t(size_ - kept));
    size_ = qMin(size, size_);
}
