#include "util/FreePlacement.h"

#include "util/FileUtil.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace FreePlacement {

namespace {

enum class Claim { Moved, Taken, Failed };

// For file systems without RENAME_NOREPLACE: a hard link fails when the name exists, and an
// empty folder made with mkdir reserves the name for a rename that may replace only it.
Claim claimWithoutNoReplace(const QByteArray &from, const QByteArray &to) {
    struct stat st;
    if (::lstat(from.constData(), &st) != 0)
        return Claim::Failed;
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.constData(), 0700) != 0)
            return errno == EEXIST ? Claim::Taken : Claim::Failed;
        if (::rename(from.constData(), to.constData()) != 0) {
            ::rmdir(to.constData());
            return Claim::Failed;
        }
        return Claim::Moved;
    }
    if (::link(from.constData(), to.constData()) != 0)
        return errno == EEXIST ? Claim::Taken : Claim::Failed;
    ::unlink(from.constData());
    return Claim::Moved;
}

Claim claim(const QString &source, const QString &target) {
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Claim::Moved;
    if (errno == EEXIST)
        return Claim::Taken;
    if (errno == EINVAL || errno == ENOSYS)
        return claimWithoutNoReplace(from, to);
    return Claim::Failed;
}

QString moveToFirstFree(const QString &source, const std::function<QString(quint64)> &candidate) {
    for (quint64 counter = 1;; ++counter) {
        const QString target = candidate(counter);
        switch (claim(source, target)) {
        case Claim::Moved:
            return target;
        case Claim::Failed:
            return QString();
        case Claim::Taken:
            break;
        }
    }
}

} // namespace

QString moveToFreeFileName(const QString &source, const QString &folder, const QString &filename,
                           const QString &extension) {
    return moveToFirstFree(source, [&](quint64 counter) {
        return FileUtil::fileNameCandidate(folder, filename, extension, counter);
    });
}

QString moveToFreeFolderName(const QString &source, const QString &folder, const QString &name) {
    return moveToFirstFree(source, [&](quint64 counter) {
        return FileUtil::folderNameCandidate(folder, name, counter);
    });
}

} // namespace FreePlacement
