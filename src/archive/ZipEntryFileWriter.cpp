#include "archive/ZipEntryFileWriter.h"

#include "archive/SafePath.h"
#include "archive/ZipEntryInfo.h"
#include "archive/ZipEntryStream.h"
#include "util/FileUtil.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Large reads let inflate fill whole pages and keep the write calls few.
constexpr std::size_t kBufferSize = 256 * 1024;

bool writeAll(int fd, const char *data, std::size_t length) {
    while (length > 0) {
        const ssize_t done = ::write(fd, data, length);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        length -= std::size_t(done);
    }
    return true;
}

} // namespace

void ZipEntryFileWriter::reportInSteps(quint64 bytes, const std::function<void(quint64)> &report) {
    for (quint64 left = bytes; left > 0;) {
        const quint64 step = qMin(left, kProgressStep);
        report(step);
        left -= step;
    }
}

ZipEntryFileWriter::ZipEntryFileWriter(std::function<bool()> isCancelled,
                                       std::function<void(quint64)> progress,
                                       bool isArchiveFileTime)
    : isCancelled(std::move(isCancelled))
    , progress(std::move(progress))
    , isArchiveFileTime(isArchiveFileTime)
    , buffer(kBufferSize) {
}

ZipEntryFileWriter::Result ZipEntryFileWriter::write(ZipEntryStream &stream,
                                                     const QString &destination,
                                                     const QString &fullPath,
                                                     const ZipEntryInfo &info) {
    const QByteArray native = QFile::encodeName(fullPath);
    // Never follows a link that appeared at the path.
    const int fd = SafePath::prepareFile(destination, fullPath)
                       ? ::open(native.constData(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666)
                       : -1;
    if (fd < 0) {
        stream.finishData();
        return Result::Failed;
    }
    quint64 written = 0;
    Result result = copy(stream, fd, written);
    const bool checked = stream.finishData();
    if (result == Result::Written && ::fchmod(fd, restoredPermission(info.unixMode() & 07777)) != 0)
        result = Result::Failed;
    const bool closed = ::close(fd) == 0;
    // A cancelled file stays as it is; whoever cancelled removes the staging folder.
    if (result == Result::Cancelled)
        return result;
    if (result == Result::Failed || !checked || !closed || written != info.uncompressedSize) {
        // Damaged data or a wrong password: no file may pass for a good one.
        ::unlink(native.constData());
        return Result::Failed;
    }
    if (isArchiveFileTime)
        FileUtil::setFileModifiedDate(info.date(), fullPath);
    return Result::Written;
}

mode_t ZipEntryFileWriter::restoredPermission(mode_t stored) {
    // Finding the umask reads a file; archives use few distinct modes.
    auto known = permissions.constFind(stored);
    if (known == permissions.cend())
        known = permissions.insert(stored, FileUtil::restoredPermission(stored));
    return *known;
}

ZipEntryFileWriter::Result ZipEntryFileWriter::copy(ZipEntryStream &stream, int fd,
                                                    quint64 &written) {
    for (;;) {
        if (isCancelled())
            return Result::Cancelled;
        const qint64 count = stream.readData(buffer.data(), qint64(buffer.size()));
        if (count == 0)
            return Result::Written;
        if (count < 0 || !writeAll(fd, buffer.data(), std::size_t(count)))
            return Result::Failed;
        written += quint64(count);
        reportInSteps(quint64(count), progress);
    }
}
