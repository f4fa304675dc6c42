#include "util/FileUtil.h"

#include "util/AppIdentity.h"
#include "util/Cancellation.h"
#include "util/ProgressReceiver.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileUtil {

namespace {

QByteArray nativePath(const QString &path) {
    return QFile::encodeName(path);
}

Error posixError(int code) {
    return Error{QStringLiteral("NSPOSIXErrorDomain"), code,
                 QString::fromLocal8Bit(strerror(code))};
}

bool existsFollowingLinks(const QString &path) {
    struct stat st;
    return ::stat(nativePath(path).constData(), &st) == 0;
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
        return posixError(errno);
    return std::nullopt;
}

} // namespace

quint64 fileSize(const QString &path) {
    struct stat st;
    if (path.isEmpty() || ::lstat(nativePath(path).constData(), &st) != 0)
        return 0;
    return static_cast<quint64>(st.st_size);
}

QString formatSize(quint64 count) {
    const double value = static_cast<double>(count);
    if (count == 0)
        return QStringLiteral("0");
    if (value < 1024.0)
        return QStringLiteral("%1B").arg(count);
    if (value < 1048576.0)
        return QString::asprintf("%.1fK", value * (1.0 / 1024.0));
    if (value < 1073741824.0)
        return QString::asprintf("%.2fM", value * (1.0 / 1048576.0));
    return QString::asprintf("%.3fG", value * (1.0 / 1073741824.0));
}

QString fileName(const QString &path) {
    if (path.isEmpty())
        return QStringLiteral("");
    const QString trimmed = StringUtil::trimRight(path, QStringLiteral("/"));
    if (trimmed.isEmpty())
        return QStringLiteral("/");
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString extension(const QString &path) {
    const QString name = fileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not an extension.
    if (dot <= 0)
        return QStringLiteral("");
    return name.mid(dot + 1);
}

QString baseName(const QString &path) {
    const QString name = fileName(path);
    const QString suffix = extension(path);
    if (suffix.isEmpty())
        return name;
    return name.left(name.size() - suffix.size() - 1);
}

QString parentFolder(const QString &path) {
    if (path.isEmpty())
        return QStringLiteral("");
    const QString trimmed = StringUtil::trimRight(path, QStringLiteral("/"));
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral("");
    if (slash == 0)
        return QStringLiteral("/");
    return trimmed.left(slash);
}

static QString joinPath(const QString &folder, const QString &name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString fileNameCandidate(const QString &folder, const QString &filename, const QString &extension,
                          quint64 counter) {
    QString base = filename;
    QString suffix = extension.isEmpty() ? QString() : QStringLiteral(".") + extension;
    if (!suffix.isEmpty() &&
        FileUtil::extension(base).compare(QLatin1String("tar"), Qt::CaseInsensitive) == 0) {
        const QString withoutTar = base.left(base.size() - 4);
        if (!withoutTar.isEmpty()) {
            base = withoutTar;
            suffix = QStringLiteral(".tar") + suffix;
        }
    }
    if (counter < 2)
        return joinPath(folder, base + suffix);
    return joinPath(folder, QStringLiteral("%1 %2%3").arg(base).arg(counter).arg(suffix));
}

QString folderNameCandidate(const QString &folder, const QString &filename, quint64 counter) {
    if (counter < 2)
        return joinPath(folder, filename);
    return joinPath(folder, QStringLiteral("%1 %2").arg(filename).arg(counter));
}

QString freeFileName(const QString &folder, const QString &filename, const QString &extension) {
    quint64 counter = 1;
    QString candidate = fileNameCandidate(folder, filename, extension, counter);
    while (existsFollowingLinks(candidate))
        candidate = fileNameCandidate(folder, filename, extension, ++counter);
    return candidate;
}

QString freeFolderName(const QString &folder, const QString &filename) {
    quint64 counter = 1;
    QString candidate = folderNameCandidate(folder, filename, counter);
    while (existsFollowingLinks(candidate))
        candidate = folderNameCandidate(folder, filename, ++counter);
    return candidate;
}

QString relativePath(const QString &path, const QString &baseRelative) {
    if (path.isNull())
        return QStringLiteral("");
    const QString slash = QStringLiteral("/");
    const QStringList pathParts = (slash + StringUtil::trim(path, slash)).split(QLatin1Char('/'));
    QStringList baseParts = (slash + StringUtil::trim(baseRelative, slash)).split(QLatin1Char('/'));
    // "/" alone is the single empty component.
    if (baseParts.size() == 2 && baseParts.last().isEmpty())
        baseParts.removeLast();
    if (pathParts.size() <= baseParts.size())
        return QStringLiteral("");
    for (qsizetype i = 0; i < baseParts.size(); ++i) {
        if (pathParts[i] != baseParts[i])
            return QStringLiteral("");
    }
    QString result;
    for (qsizetype i = baseParts.size(); i < pathParts.size(); ++i)
        result += slash + pathParts[i];
    return result;
}

bool hasPrefix(const QString &path, const QString &prefix) {
    const QString slash = QStringLiteral("/");
    const QString p = StringUtil::trimRight(path, slash) + slash;
    const QString d = StringUtil::trimRight(prefix, slash) + slash;
    return p.contains(d);
}

QString tempDirectory() {
    return QDir::tempPath();
}

QString tempBundleIdDirectory() {
    return joinPath(tempDirectory(), AppIdentity::bundleId());
}

bool createFolder(const QString &path) {
    return createFolder(path, std::nullopt, std::nullopt);
}

bool createFolder(const QString &path, const std::optional<QDateTime> &date) {
    return createFolder(path, date, std::nullopt);
}

bool createFolder(const QString &path, const std::optional<QDateTime> &date,
                  const std::optional<QDateTime> &created) {
    struct stat st;
    if (::lstat(nativePath(path).constData(), &st) != 0)
        QDir().mkpath(path);
    if (date)
        setModifiedDate(date, created, path);
    return true;
}

std::optional<Error> setModifiedDate(const std::optional<QDateTime> &date,
                                     const QString &fullPath) {
    return setModifiedDate(date, std::nullopt, fullPath);
}

std::optional<Error> setModifiedDate(const std::optional<QDateTime> &date,
                                     const std::optional<QDateTime> &created,
                                     const QString &fullPath) {
    // Linux has no settable birth time; the creation date is accepted and left to the system.
    Q_UNUSED(created);
    const QByteArray native = nativePath(fullPath);
    return applyModifiedDate(date, [&](const timespec *times) {
        return ::utimensat(AT_FDCWD, native.constData(), times, AT_SYMLINK_NOFOLLOW);
    });
}

std::optional<Error> setOpenFileModifiedDate(const std::optional<QDateTime> &date, int fd) {
    return applyModifiedDate(date, [fd](const timespec *times) { return ::futimens(fd, times); });
}

mode_t restoredPermission(mode_t stored) {
    const mode_t mode = (stored & 07777) == 0 ? 0666 : ((stored & 07777) | S_IRUSR | S_IWUSR);
    return mode & ~currentUmask();
}

std::optional<Error> setFullPermission(const QString &path) {
    if (::chmod(nativePath(path).constData(), 0777 & ~currentUmask()) != 0)
        return posixError(errno);
    return std::nullopt;
}

std::optional<Error> setPermission(const QString &path, mode_t permission) {
    if (::chmod(nativePath(path).constData(), restoredPermission(permission)) != 0)
        return posixError(errno);
    return std::nullopt;
}

bool createSymlink(const QString &linkPath, const QString &targetPath, Error *error) {
    if (::symlink(nativePath(targetPath).constData(), nativePath(linkPath).constData()) == 0)
        return true;
    if (error)
        *error = posixError(errno);
    return false;
}

std::optional<Error> removeItem(const QString &path) {
    struct stat st;
    const QByteArray native = nativePath(path);
    if (::lstat(native.constData(), &st) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode)) {
        if (::unlink(native.constData()) != 0)
            return posixError(errno);
        return std::nullopt;
    }
    // Owner rights on the item itself let a read-only file or folder be removed.
    ::chmod(native.constData(), (st.st_mode & 07777) | S_IRWXU);
    if (S_ISDIR(st.st_mode)) {
        if (!QDir(path).removeRecursively())
            return posixError(EACCES);
        return std::nullopt;
    }
    if (::unlink(native.constData()) != 0)
        return posixError(errno);
    return std::nullopt;
}

bool isFolder(const QString &path) {
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymlink(const QString &path, QString *destination) {
    struct stat st;
    if (path.isEmpty() || !existsFollowingLinks(path) ||
        ::lstat(nativePath(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    if (destination) {
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length =
            ::readlink(nativePath(path).constData(), target.data(), target.size());
        *destination = length < 0 ? QString() : QFile::decodeName(target.left(length));
    }
    return true;
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

bool copyFile(const QString &sourcePath, const QString &desPath, bool isOverWrite, bool isAppend,
              ProgressReceiver *delegate) {
    // Every caller overwrites; an existing destination that is kept gets the bytes appended.
    Q_UNUSED(isAppend);
    // The source is opened first so that a missing source leaves no empty destination behind.
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    if (isOverWrite)
        removeItem(desPath);
    QFile destination(desPath);
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;

    constexpr qint64 kChunk = 1048576;
    const quint64 total = fileSize(sourcePath);
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (quint64 copied = 0; copied < total;) {
        if (isCurrentThreadCancelled())
            break;
        const qint64 wanted = qint64(qMin<quint64>(kChunk, total - copied));
        const qint64 got = source.read(buffer.data(), wanted);
        if (got <= 0)
            break;
        if (destination.write(buffer.constData(), got) != got)
            return false;
        if (delegate)
            delegate->addDone(quint64(got));
        copied += quint64(got);
    }
    return true;
}

} // namespace FileUtil
