#include "archive/ExtractionOutput.h"

#include "archive/SafePath.h"
#include "util/FileAttributes.h"
#include "util/FileOps.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int openForWriting(const QByteArray &path) {
    return ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
}

} // namespace

ExtractionOutput::~ExtractionOutput() {
    close();
}

bool ExtractionOutput::create(const QString &destination, const QString &fullPath) {
    close();
    if (SafePath::below(destination, fullPath).isEmpty() ||
        !makeFolders(destination, fullPath.left(fullPath.lastIndexOf(QLatin1Char('/')))))
        return false;
    openPath_ = QFile::encodeName(fullPath);
    fd_ = openForWriting(openPath_);
    // A link standing at the path is replaced by the file rather than followed.
    if (fd_ < 0 && errno == ELOOP && ::unlink(openPath_.constData()) == 0)
        fd_ = openForWriting(openPath_);
    return fd_ >= 0;
}

bool ExtractionOutput::write(const char *data, qint64 length) {
    return FileOps::writeAll(fd_, data, length);
}

bool ExtractionOutput::seek(qint64 position) {
    return ::lseek(fd_, off_t(position), SEEK_SET) == off_t(position);
}

bool ExtractionOutput::resize(qint64 size) {
    return ::ftruncate(fd_, off_t(size)) == 0;
}

bool ExtractionOutput::finish(mode_t storedMode, const std::optional<QDateTime> &date) {
    const bool permitted = ::fchmod(fd_, restoredPermission(storedMode)) == 0;
    // A date the file system refuses costs the file nothing.
    FileAttributes::setOpenFileModifiedDate(date, fd_);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (permitted && closed)
        return true;
    ::unlink(openPath_.constData());
    return false;
}

void ExtractionOutput::discard() {
    if (fd_ < 0)
        return;
    close();
    ::unlink(openPath_.constData());
}

void ExtractionOutput::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool ExtractionOutput::makeFolders(const QString &destination, const QString &folder) {
    // What was learnt about another destination holds no more.
    if (destination != knownDestination_) {
        knownFolders_.clear();
        permissions_.clear();
        knownDestination_ = destination;
        // The destination itself is the caller's choice: made when missing, as for a
        // selection extracted into a new folder.
        FileOps::createFolder(destination);
    }
    if (knownFolders_.contains(folder))
        return true;
    if (!SafePath::makeFolders(destination, folder))
        return false;
    knownFolders_.insert(folder);
    return true;
}

ExtractionOutput::LinkResult ExtractionOutput::createLink(const QString &destination,
                                                          const QString &fullPath,
                                                          const QString &target,
                                                          const std::optional<QDateTime> &date) {
    close();
    if (!linkStaysInside(destination, fullPath, target))
        return LinkResult::LeftOut;
    if (!SafePath::prepareFile(destination, fullPath))
        return LinkResult::Failed;
    const QByteArray native = QFile::encodeName(fullPath);
    if (::symlink(QFile::encodeName(target).constData(), native.constData()) != 0)
        return LinkResult::Failed;
    FileAttributes::setModifiedDate(date, fullPath);
    return LinkResult::Made;
}

bool ExtractionOutput::linkStaysInside(const QString &destination, const QString &fullPath,
                                       const QString &target) {
    if (target.isEmpty() || target.startsWith(QLatin1Char('/')))
        return false;
    // ".." only leads the target: after a name, it would climb from wherever a link of that
    // name leads, which the text alone does not tell.
    bool named = false;
    for (const QString &part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..") && named)
            return false;
        named = named || (part != QLatin1String("..") && part != QLatin1String("."));
    }
    const QString folder = fullPath.left(fullPath.lastIndexOf(QLatin1Char('/')));
    const QString resolved = QDir::cleanPath(folder + QLatin1Char('/') + target);
    return !SafePath::below(QDir::cleanPath(destination), resolved).isNull();
}

bool ExtractionOutput::isSpecialFile(mode_t storedMode) {
    const mode_t type = storedMode & S_IFMT;
    return type == S_IFCHR || type == S_IFBLK || type == S_IFIFO || type == S_IFSOCK;
}

mode_t ExtractionOutput::restoredPermission(mode_t stored) {
    auto known = permissions_.constFind(stored);
    if (known == permissions_.cend())
        known = permissions_.insert(stored, FileAttributes::restoredMode(stored));
    return *known;
}
