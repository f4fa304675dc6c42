#include "util/FreePlacement.h"

#include "util/FileAttributes.h"
#include "util/PathUtil.h"
#include "util/StringUtil.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace FreePlacement {

namespace {

QString joinPath(const QString &folder, const QString &name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

// Counter 1 is the plain name.
QString fileNameCandidate(const QString &folder, const QString &filename, const QString &extension,
                          quint64 counter) {
    QString base = filename;
    QString suffix = extension.isEmpty() ? QString() : QStringLiteral(".") + extension;
    if (!suffix.isEmpty() &&
        PathUtil::extension(base).compare(QLatin1String("tar"), Qt::CaseInsensitive) == 0) {
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
        QString target = candidate(counter);
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

bool sameFileSystem(const QString &path, const QString &folder) {
    struct stat a;
    struct stat b;
    return ::lstat(QFile::encodeName(path).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(folder).constData(), &b) == 0 && a.st_dev == b.st_dev;
}

} // namespace

QString freeFileName(const QString &folder, const QString &filename, const QString &extension) {
    for (quint64 counter = 1;; ++counter) {
        QString candidate = fileNameCandidate(folder, filename, extension, counter);
        struct stat st;
        if (::lstat(QFile::encodeName(candidate).constData(), &st) != 0)
            return candidate;
    }
}

QString moveToFreeFileName(const QString &source, const QString &folder, const QString &filename,
                           const QString &extension) {
    const auto candidate = [&](quint64 counter) {
        return fileNameCandidate(folder, filename, extension, counter);
    };
    if (FileAttributes::isFolder(source) || sameFileSystem(source, folder))
        return moveToFirstFree(source, candidate);
    // A rename cannot cross file systems: copy to a hidden name beside the target first, so the
    // final name still appears only complete and only through a rename.
    const QString nearby = folder + QStringLiteral("/.") + StringUtil::newUuid();
    if (!QFile::copy(source, nearby)) {
        QFile::remove(nearby);
        return QString();
    }
    QString placed = moveToFirstFree(nearby, candidate);
    QFile::remove(placed.isNull() ? nearby : source);
    return placed;
}

QString moveToFreeFolderName(const QString &source, const QString &folder, const QString &name) {
    return moveToFirstFree(
        source, [&](quint64 counter) { return folderNameCandidate(folder, name, counter); });
}

} // namespace FreePlacement
