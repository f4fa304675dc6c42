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

} // namespace

std::unique_ptr<MemoryBlock> MemoryBlock::reserve(qint64 size) {
    if (size <= 0 || size > availableMemory() / 4)
        return nullptr;
    return map(size);
}

std::unique_ptr<MemoryBlock> MemoryBlock::reserveUpTo(qint64 limit) {
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 size = qMin(limit, availableMemory() / 4) / page * page;
    return size > 0 ? map(size) : nullptr;
}

std::unique_ptr<MemoryBlock> MemoryBlock::map(qint64 size) {
    void *data = ::mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        return nullptr;
    // Large pages where the system lends them: far fewer faults while the block fills.
    ::madvise(data, std::size_t(size), MADV_HUGEPAGE);
    return std::unique_ptr<MemoryBlock>(new MemoryBlock(static_cast<char *>(data), size));
}

void MemoryBlock::shrink(qint64 size) {
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    // At least a page stays mapped: an empty block still has an address.
    const qint64 kept = qMax((size + page - 1) / page * page, page);
    if (kept < mapped_)
        ::munmap(data_ + kept, std::size_t(mapped_ - kept));
    mapped_ = qMin(mapped_, kept);
    size_ = qMin(size_, size);
}

MemoryBlock::~MemoryBlock() {
    ::munmap(data_, std::size_t(mapped_));
}
