#include "util/FileOps.h"

#include "util/Cancellation.h"
#include "util/ProgressReceiver.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileOps {

void createFolder(const QString &path) {
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        QDir().mkpath(path);
}

std::optional<FileIdentity> identityOf(const QString &path) {
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

std::optional<Error> readError(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Error::fromErrno(errno);
    ::close(fd);
    return std::nullopt;
}

void removeIfSame(const QString &path, const FileIdentity &identity) {
    if (identityOf(path) == identity)
        ::unlink(QFile::encodeName(path).constData());
}

std::optional<Error> removeItem(const QString &path) {
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode)) {
        if (::unlink(native.constData()) != 0)
            return Error::fromErrno(errno);
        return std::nullopt;
    }
    // Owner rights on the item itself let a read-only file or folder be removed.
    ::chmod(native.constData(), (st.st_mode & 07777) | S_IRWXU);
    if (S_ISDIR(st.st_mode)) {
        if (!QDir(path).removeRecursively())
            return Error::fromErrno(EACCES);
        return std::nullopt;
    }
    if (::unlink(native.constData()) != 0)
        return Error::fromErrno(errno);
    return std::nullopt;
}

bool copyFile(const QString &source, const QString &destination, ProgressReceiver *progress) {
    QFile input(source);
    return copyFile(input, destination, progress);
}

bool copyFile(QIODevice &input, const QString &destination, ProgressReceiver *progress) {
    // The source is opened first so that a missing source leaves no empty destination behind.
    if (!input.open(QIODevice::ReadOnly))
        return false;
    removeItem(destination);
    // NewOnly: whatever took the name since is never written through nor removed.
    QFile output(destination);
    if (!output.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;

    constexpr qint64 kChunk = 1048576;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    bool complete = false;
    while (!isCurrentThreadCancelled()) {
        const qint64 got = input.read(buffer.data(), kChunk);
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        if (output.write(buffer.constData(), got) != got)
            break;
        if (progress)
            progress->addDone(quint64(got));
    }
    if (complete && output.flush())
        return true;
    output.remove();
    return false;
}

bool isOutOfSpace(int errnoValue) {
    return errnoValue == ENOSPC || errnoValue == EDQUOT || errnoValue == EFBIG;
}

bool writeAll(int fd, const char *data, qint64 length) {
    while (length > 0) {
        const ssize_t done = ::write(fd, data, std::size_t(length));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        length -= done;
    }
    return true;
}

} // namespace FileOps
