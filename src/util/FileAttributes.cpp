#include "util/FileAttributes.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileAttributes {

namespace {

QByteArray nativePath(const QString &path) {
    return QFile::encodeName(path);
}

// The process umask, read without changing it: umask(2) can only be read by setting it, which
// would briefly expose files created by other threads.
mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(line.mid(6).trimmed().toUInt(nullptr, 8));
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

timespec toTimespec(const QDateTime &date) {
    const qint64 msecs = date.toMSecsSinceEpoch();
    qint64 secs = msecs / 1000;
    qint64 rest = msecs % 1000;
    if (rest < 0) {
        rest += 1000;
        secs -= 1;
    }
    return timespec{static_cast<time_t>(secs), static_cast<long>(rest * 1000000)};
}

// Sets access and modification times to the date through apply (utimensat or futimens).
template <typename Apply>
std::optional<Error> applyModifiedDate(const std::optional<QDateTime> &date, Apply apply) {
    if (!date || !date->isValid())
        return std::nullopt;
    const timespec modified = toTimespec(*date);
    const timespec times[2] = {modified, modified};
    if (apply(times) != 0)
        return Error::fromErrno(errno);
    return std::nullopt;
}

std::optional<Error> changeMode(const QString &path, mode_t mode) {
    if (::chmod(nativePath(path).constData(), mode) != 0)
        return Error::fromErrno(errno);
    return std::nullopt;
}

} // namespace

quint64 fileSize(const QString &path) {
    struct stat st;
    if (path.isEmpty() || ::lstat(nativePath(path).constData(), &st) != 0)
        return 0;
    return static_cast<quint64>(st.st_size);
}

bool isFolder(const QString &path) {
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isWritable(const QString &path) {
    return !path.isEmpty() && ::access(nativePath(path).constData(), W_OK) == 0;
}

std::optional<QDateTime> modifiedDate(const QString &path) {
    struct stat st;
    if (path.isEmpty() || ::lstat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                          st.st_mtim.tv_nsec / 1000000);
}

std::optional<QDateTime> createdDate(const QString &path) {
    struct statx stx;
    if (path.isEmpty() ||
        ::statx(AT_FDCWD, nativePath(path).constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &stx) !=
            0 ||
        !(stx.stx_mask & STATX_BTIME))
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(stx.stx_btime.tv_sec) * 1000 +
                                          stx.stx_btime.tv_nsec / 1000000);
}

std::optional<QString> mimeType(const QString &path) {
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid())
        return std::nullopt;
    return type.name();
}

std::optional<Error> setModifiedDate(const std::optional<QDateTime> &date, const QString &path) {
    const QByteArray native = nativePath(path);
    return applyModifiedDate(date, [&](const timespec *times) {
        return ::utimensat(AT_FDCWD, native.constData(), times, AT_SYMLINK_NOFOLLOW);
    });
}

std::optional<Error> setOpenFileModifiedDate(const std::optional<QDateTime> &date, int fd) {
    return applyModifiedDate(date, [fd](const timespec *times) { return ::futimens(fd, times); });
}

mode_t restoredMode(mode_t stored) {
    // Set-user-ID, set-group-ID and sticky bits never come from an archive.
    const mode_t mode = (stored & 0777) == 0 ? 0666 : ((stored & 0777) | S_IRUSR | S_IWUSR);
    return mode & ~currentUmask();
}

std::optional<Error> setRestoredMode(const QString &path, mode_t stored) {
    return changeMode(path, restoredMode(stored));
}

} // namespace FileAttributes
