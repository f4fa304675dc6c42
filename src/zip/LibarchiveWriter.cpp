#include "zip/LibarchiveWriter.h"

#include "util/Cancellation.h"
#include "util/FileOps.h"
#include "util/FileTree.h"
#include "util/Localization.h"
#include "util/PathUtil.h"
#include "util/ProgressReceiver.h"
#include "zip/XzOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 256 * 1024;
// The archive as a whole failed: named by its folder, never by its private staging name.
constexpr char kCannotWrite[] = "Cannot write the archive into '%1'";

QByteArray nativePath(const QString &path) {
    return QFile::encodeName(path);
}

// libarchive's end of an XzOutput.
la_ssize_t writeXz(struct archive *handle, void *xz, const void *data, size_t size) {
    if (static_cast<XzOutput *>(xz)->write(data, size))
        return la_ssize_t(size);
    archive_set_error(handle, errno, "%s", std::strerror(errno));
    return -1;
}

} // namespace

bool LibarchiveWriter::writeFilesRelativeToParent(WriteFormat format, const QStringList &paths,
                                                  ProgressReceiver *delegate,
                                                  const QString &desPath,
                                                  const std::optional<ScanOptions> &options,
                                                  WriteFailure *failure, QStringList *leftOut,
                                                  ExpectedContent expected) {
    LibarchiveWriter writer(format, desPath, options, delegate, expected);
    for (const QString &item : paths) {
        // A clean absolute path keeps "." and ".." out of the entry names.
        const QString path = QDir::cleanPath(QFileInfo(item).absoluteFilePath());
        writer.add(path, PathUtil::fileName(path));
    }
    const bool written = writer.finish();
    if (failure)
        *failure = {writer.failure().value_or(QString()), writer.outOfSpace_};
    if (leftOut)
        *leftOut = writer.leftOut();
    return written;
}

LibarchiveWriter::LibarchiveWriter(WriteFormat format, const QString &archivePath,
                                   const std::optional<ScanOptions> &options,
                                   ProgressReceiver *delegate, ExpectedContent expected)
    : filePath_(archivePath)
    , options_(options)
    , delegate_(delegate)
    , expected_(expected) {
    fd_ =
        ::open(nativePath(archivePath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        const QString cause = QString::fromLocal8Bit(std::strerror(errno));
        failure_ = Engine::tr(kCannotWrite).arg(PathUtil::parentFolder(archivePath)) +
                   QStringLiteral(": ") + cause;
        return;
    }
    identity_ = FileIdentity{st.st_dev, st.st_ino};
    ownerNames_ = archive_read_disk_new();
    archive_read_disk_set_standard_lookup(ownerNames_);
    archive_ = archive_write_new();
    if (!setUp(format) || !open())
        fail(kCannotWrite, PathUtil::parentFolder(archivePath));
}

bool LibarchiveWriter::open() {
    if (!xz_)
        return archive_write_open_fd(archive_, fd_) == ARCHIVE_OK;
    return xz_->isOpen() && archive_write_open2(archive_, xz_.get(), nullptr, &writeXz, nullptr,
                                                nullptr) == ARCHIVE_OK;
}

bool LibarchiveWriter::setUp(WriteFormat format) {
    if (format == WriteFormat::SevenZip)
        return archive_write_set_format_7zip(archive_) == ARCHIVE_OK &&
               archive_write_set_format_option(archive_, "7zip", "compression", "lzma2") ==
                   ARCHIVE_OK;
    if (archive_write_set_format_pax_restricted(archive_) != ARCHIVE_OK)
        return false;
    switch (format) {
    case WriteFormat::TarGz:
        return archive_write_add_filter_gzip(archive_) == ARCHIVE_OK;
    case WriteFormat::TarBz2:
        return archive_write_add_filter_bzip2(archive_) == ARCHIVE_OK;
    case WriteFormat::TarXz:
        // A header record per item and, on average, half a record of padding after its data.
        xz_ = std::make_unique<XzOutput>(fd_, expected_.bytes + expected_.items * 768);
        threaded_ = xz_->isOpen();
        return true;
    case WriteFormat::TarZst: {
        if (archive_write_add_filter_zstd(archive_) != ARCHIVE_OK)
            return false;
        // A library without threaded compression refuses the option (ARCHIVE_WARN or worse) and
        // compresses on one core, which still makes the same archive.
        const QByteArray threads = QByteArray::number(QThread::idealThreadCount());
        threaded_ = archive_write_set_filter_option(archive_, nullptr, "threads",
                                                    threads.constData()) == ARCHIVE_OK;
        return true;
    }
    case WriteFormat::Tar:
        return true;
    case WriteFormat::Zip:
    case WriteFormat::SevenZip:
        break;
    }
    return false;
}

LibarchiveWriter::~LibarchiveWriter() {
    finish();
}

bool LibarchiveWriter::checkCancelled() {
    if (!isCancelled_ && isCurrentThreadCancelled()) {
        isCancelled_ = true;
        if (!hasFailed())
            failure_ = Engine::tr("The operation is canceled");
    }
    return isCancelled_;
}

void LibarchiveWriter::fail(const char *key, const QString &name) {
    // A write the cancel broke off is no failure of its own.
    if (hasFailed() || checkCancelled())
        return;
    QString message = Engine::tr(key).arg(name);
    outOfSpace_ = archive_ && FileOps::isOutOfSpace(archive_errno(archive_));
    if (archive_ && archive_error_string(archive_))
        message += QStringLiteral(": ") + QString::fromLocal8Bit(archive_error_string(archive_));
    failure_ = message;
}

void LibarchiveWriter::add(const QString &path, const QString &name) {
    if (!archive_ || hasFailed() || checkCancelled())
        return;
    struct stat st;
    if (::lstat(nativePath(path).constData(), &st) != 0) {
        fail("Can't open '%1'", name);
        return;
    }
    // The archive being written is never added to itself.
    if (FileIdentity{st.st_dev, st.st_ino} == identity_)
        return;
    if (S_ISDIR(st.st_mode))
        addFolder(path, name, st);
    else if (S_ISLNK(st.st_mode))
        addLink(path, name, st);
    else if (S_ISREG(st.st_mode))
        addFile(path, name);
    // Pipes, sockets and devices are left out, as from a zip.
}

bool LibarchiveWriter::writeHeader(const QString &name, const struct stat &st,
                                   const QByteArray &linkTarget) {
    archive_entry *entry = archive_entry_new2(archive_);
    archive_entry_copy_stat(entry, &st);
    if (const char *user = archive_read_disk_uname(ownerNames_, st.st_uid))
        archive_entry_copy_uname(entry, user);
    if (const char *group = archive_read_disk_gname(ownerNames_, st.st_gid))
        archive_entry_copy_gname(entry, group);
    archive_entry_copy_pathname(entry, nativePath(name).constData());
    if (S_ISLNK(st.st_mode))
        archive_entry_copy_symlink(entry, linkTarget.constData());
    if (!S_ISREG(st.st_mode))
        archive_entry_set_size(entry, 0);
    const int result = archive_write_header(archive_, entry);
    archive_entry_free(entry);
    // A warning (a name that is not UTF-8, stored as it is) still wrote the header.
    if (result >= ARCHIVE_WARN)
        return true;
    fail("Error in writing '%1' in the archive", name);
    return false;
}

void LibarchiveWriter::addFolder(const QString &path, const QString &name, const struct stat &st) {
    // An unreadable folder is named as left out, not stored as if it were empty.
    if (::access(nativePath(path).constData(), R_OK | X_OK) != 0) {
        leftOut_.append(name + QLatin1Char('/'));
        return;
    }
    if (!writeHeader(name, st, {}))
        return;
    QStringList children = FileTree::contentsOfFolder(path, ScanOptions::ignoresHidden(options_));
    children.sort();
    for (const QString &child : children) {
        add(child, name + QLatin1Char('/') + PathUtil::fileName(child));
        if (hasFailed())
            return;
    }
}

void LibarchiveWriter::addLink(const QString &path, const QString &name, const struct stat &st) {
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(nativePath(path).constData(), target.data(), target.size());
    if (length < 0) {
        fail("Can't open '%1'", name);
        return;
    }
    target.truncate(length);
    writeHeader(name, st, target);
}

void LibarchiveWriter::addFile(const QString &path, const QString &name) {
    // Opened without following a link and checked again, so the item examined is the one read.
    const int fd =
        ::open(nativePath(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        // One unreadable file costs the archive that file only.
        leftOut_.append(name);
        return;
    }
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        fail("Can't open '%1'", name);
        return;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (writeHeader(name, st, {})) {
        QByteArray buffer(kBufferSize, Qt::Uninitialized);
        // A file that grew meanwhile is stored at the size its header holds; one that shrank is
        // padded by the library.
        for (qint64 left = st.st_size; left > 0 && !checkCancelled();) {
            const ssize_t got = ::read(fd, buffer.data(), size_t(qMin<qint64>(left, kBufferSize)));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                fail("Error in reading '%1'", name);
                break;
            }
            if (got == 0)
                break;
            if (archive_write_data(archive_, buffer.constData(), size_t(got)) != got) {
                fail("Error in writing '%1' in the archive", name);
                break;
            }
            left -= got;
            progress_.addDone(quint64(got), delegate_);
        }
    }
    ::close(fd);
}

bool LibarchiveWriter::finish() {
    if (archive_) {
        // libarchive ignores what a close callback answers: the xz stream ends here instead.
        if (archive_write_close(archive_) != ARCHIVE_OK)
            fail(kCannotWrite, PathUtil::parentFolder(filePath_));
        else if (xz_ && !xz_->finish()) {
            archive_set_error(archive_, errno, "%s", std::strerror(errno));
            fail(kCannotWrite, PathUtil::parentFolder(filePath_));
        }
        archive_write_free(archive_);
        archive_ = nullptr;
        xz_.reset();
    }
    if (ownerNames_) {
        archive_read_free(ownerNames_);
        ownerNames_ = nullptr;
    }
    if (fd_ >= 0) {
        if (::close(fd_) != 0)
            fail(kCannotWrite, PathUtil::parentFolder(filePath_));
        fd_ = -1;
        if (hasFailed() && identity_)
            FileOps::removeIfSame(filePath_, *identity_);
    }
    return !hasFailed();
}
