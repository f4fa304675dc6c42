#include "util/TempFolders.h"

#include "util/FileOps.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TempFolders {

namespace {

const QString kPrefix = QStringLiteral("kist-");
const QString kLockName = QStringLiteral(".lock");

struct PrivateFolder {
    QString path;
    int lock = -1;
};

std::mutex foldersLock;
PrivateFolder smallFolder;
PrivateFolder largeFolder;

QString smallBase() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && ::access(QFile::encodeName(runtime).constData(), W_OK) == 0)
        return runtime;
    return QDir::tempPath();
}

QString largeBase() {
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/kist");
}

// The cache folder of the user's runs: made private when this user makes it.
bool makeLargeBase(const QString &base) {
    QDir().mkpath(QFileInfo(base).absolutePath());
    const QByteArray native = QFile::encodeName(base);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    return ::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

PrivateFolder makePrivate(const QString &base) {
    QByteArray pattern = QFile::encodeName(base + QLatin1Char('/') + kPrefix + "XXXXXX");
    if (!::mkdtemp(pattern.data()))
        return {};
    const QString path = QFile::decodeName(pattern);
    const int lock = ::open(QFile::encodeName(path + QLatin1Char('/') + kLockName).constData(),
                            O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock >= 0)
        ::flock(lock, LOCK_EX);
    return {path, lock};
}

const QString &ensure(PrivateFolder &folder, const QString &base) {
    if (folder.path.isEmpty() || !QFileInfo(folder.path).isDir())
        folder = makePrivate(base);
    return folder.path;
}

void release(PrivateFolder &folder) {
    if (!folder.path.isEmpty())
        FileOps::removeItem(folder.path);
    if (folder.lock >= 0)
        ::close(folder.lock);
    folder = {};
}

// A folder of this user whose lock nobody holds: its process is gone.
bool isLeftover(const QString &path) {
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid())
        return false;
    const int lock = ::open(QFile::encodeName(path + QLatin1Char('/') + kLockName).constData(),
                            O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (lock < 0)
        return false;
    const bool free = ::flock(lock, LOCK_EX | LOCK_NB) == 0;
    ::close(lock);
    return free;
}

} // namespace

QString root() {
    const std::lock_guard guard(foldersLock);
    return ensure(smallFolder, smallBase());
}

QString newItemFolder() {
    QString folder = root() + QLatin1Char('/') + StringUtil::newUuid();
    FileOps::createFolder(folder);
    return folder;
}

QString newLargeItemFolder() {
    QString base;
    {
        const std::lock_guard guard(foldersLock);
        const QString cache = largeBase();
        if (makeLargeBase(cache))
            base = ensure(largeFolder, cache);
    }
    if (base.isEmpty())
        return newItemFolder();
    const QString folder = base + QLatin1Char('/') + StringUtil::newUuid();
    FileOps::createFolder(folder);
    return folder;
}

void removeOwn() {
    const std::lock_guard guard(foldersLock);
    release(smallFolder);
    release(largeFolder);
}

void removeLeftovers() {
    const std::lock_guard guard(foldersLock);
    QStringList bases = {smallBase(), QDir::tempPath(), largeBase()};
    bases.removeDuplicates();
    for (const QString &base : std::as_const(bases)) {
        const QDir folder(base);
        for (const QString &name : folder.entryList({kPrefix + QStringLiteral("??????")},
                                                    QDir::Dirs | QDir::Hidden |
                                                        QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
            const QString path = folder.filePath(name);
            if (path != smallFolder.path && path != largeFolder.path && isLeftover(path))
                FileOps::removeItem(path);
        }
    }
}

} // namespace TempFolders
