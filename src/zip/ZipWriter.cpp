#include "zip/ZipWriter.h"

#include "zip/ZipEndRecord.h"

#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileOps.h"
#include "util/FileTree.h"
#include "util/Localization.h"
#include "util/PathUtil.h"
#include "util/ProgressReceiver.h"
#include "util/StringUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <minizip/zip.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

// Unix modes in the upper 16 bits: folder 040755, link 0120644, anything else 0100644.
constexpr quint32 kFolderAttributes = 0x41ED0000;
constexpr quint32 kLinkAttributes = 0xA1A40000;
constexpr quint32 kFileAttributes = 0x81A40000;
// Made by Unix (3), so that other tools honour the modes and recognise links; zip 3.0.
constexpr uLong kVersionMadeBy = (3 << 8) | 30;
// General purpose bit 11: the name is UTF-8.
constexpr uLong kLanguageEncodingFlag = 0x800;
constexpr int kMemoryLevel = 8;
// The step progress counts file bytes in.
constexpr quint64 kBufferSize = 10240;
constexpr quint64 kZip32Limit = 0xFFFFFFFF;

QByteArray nativePath(const QString &path) {
    return QFile::encodeName(path);
}

bool isPlainAscii(const QByteArray &bytes) {
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

tm_zip zipDate(const QDateTime &now) {
    const QDate date = now.date();
    const QTime time = now.time();
    return tm_zip{uInt(time.second()), uInt(time.minute()),    uInt(time.hour()),
                  uInt(date.day()),    uInt(date.month() - 1), uInt(date.year())};
}

} // namespace

bool ZipWriter::zipFilesRelativeToParent(const QStringList &paths, ProgressReceiver *delegate,
                                         const QString &desPath,
                                         const std::optional<ScanOptions> &propertyOptions,
                                         WriteFailure *failure, QStringList *leftOut) {
    ZipWriter writer(desPath, propertyOptions, delegate);
    const bool written = writer.zipItems(paths, std::nullopt);
    if (failure)
        *failure = {writer.failure().value_or(QString()), writer.outOfSpace_};
    if (leftOut)
        *leftOut = writer.leftOut();
    return written;
}

bool ZipWriter::zipFiles(const QStringList &paths, ProgressReceiver *delegate,
                         const QString &desPath, const QString &relativeBase,
                         const std::optional<ScanOptions> &propertyOptions) {
    ZipWriter writer(desPath, propertyOptions, delegate);
    return writer.zipItems(paths, relativeBase);
}

ZipWriter::ZipWriter(const QString &zipPath, const std::optional<ScanOptions> &propertyOptions,
                     ProgressReceiver *delegate)
    : filePath_(zipPath)
    , propertyOptions_(propertyOptions)
    , delegate_(delegate)
    , zipFile_(zipOpen64(nativePath(zipPath).constData(), APPEND_STATUS_CREATE)) {
    if (!zipFile_) {
        setFailure(Engine::tr("Can't open '%1'").arg(PathUtil::fileName(zipPath)));
    } else {
        identity_ = FileOps::identityOf(zipPath);
        pipeline_ = std::make_unique<ZipDeflatePipeline>(pipelineOutput());
    }
    realArchivePath_ = FileTree::resolveSymlinks(zipPath);
}

QString ZipWriter::relativePath(const QString &path) const {
    const QString rest = StringUtil::textAfter(path, relativeBase_, Qt::CaseInsensitive);
    return StringUtil::trim(rest, QStringLiteral("/"));
}

bool ZipWriter::zipItems(const QStringList &paths, const std::optional<QString> &relative) {
    for (const QString &item : paths) {
        if (checkCancelled())
            break;
        // A clean absolute path keeps "." and ".." out of the entry names.
        const QString path = QDir::cleanPath(QFileInfo(item).absoluteFilePath());
        setRelativeBase(relative.value_or(PathUtil::parentFolder(path)));
        zip(path);
    }
    return finish();
}

bool ZipWriter::checkCancelled() {
    if (!isCancelled_ && isCurrentThreadCancelled()) {
        isCancelled_ = true;
        setFailure(Engine::tr("The operation is canceled"));
    }
    return isCancelled_;
}

ZipDeflatePipeline::Output ZipWriter::pipelineOutput() {
    ZipDeflatePipeline::Output output;
    output.openEntry = [this](const QString &name, bool isLarge) {
        return zipOpenNewFile(name, false, FileType::Regular, isLarge, true);
    };
    output.write = [this](const QString &name, const char *data, std::size_t length) {
        if (zipWriteInFileInZip(zipFile_, data, unsigned(length)) >= 0)
            return true;
        const int cause = errno;
        setFailure(Engine::tr("Error in writing '%1' in the zipfile").arg(name), cause);
        return false;
    };
    output.closeEntry = [this](const QString &name, quint64 size, quint32 crc) {
        if (zipCloseFileInZipRaw64(zipFile_, size, crc) != ZIP_OK) {
            const int cause = errno;
            setFailure(Engine::tr("Error in closing '%1' in the zipfile").arg(name), cause);
        }
    };
    output.readFailed = [this](const QString &name) {
        setFailure(Engine::tr("Error in reading '%1'").arg(name));
    };
    // Counted in the steps a serial copy reads, so reports fall where they always did.
    output.progress = [this](quint64 bytes) {
        for (quint64 left = bytes; left > 0;) {
            const quint64 step = qMin<quint64>(left, kBufferSize);
            progress_.addDone(step, delegate_);
            left -= step;
        }
    };
    output.isCancelled = [this] {
        return checkCancelled();
    };
    return output;
}

void ZipWriter::setFailure(const QString &message, int cause) {
    failure_ = message;
    outOfSpace_ = outOfSpace_ || FileOps::isOutOfSpace(cause);
}

ZipWriter::~ZipWriter() {
    finish();
}

bool ZipWriter::finish() {
    if (pipeline_) {
        pipeline_->finish();
        pipeline_.reset();
    }
    if (zipFile_) {
        errno = 0;
        if (zipClose(zipFile_, nullptr) != ZIP_OK ||
            (!hasFailed() && !ZipEndRecord::addZip64WhenNeeded(filePath_))) {
            const int cause = errno;
            setFailure(Engine::tr("Error in closing '%1' in the zipfile")
                           .arg(PathUtil::fileName(filePath_)),
                       cause);
        }
        zipFile_ = nullptr;
        if (hasFailed() && identity_)
            FileOps::removeIfSame(filePath_, *identity_);
    }
    return !hasFailed();
}

void ZipWriter::zip(const QString &path) {
    if (!zipFile_)
        return;
    if (FileAttributes::isFolder(path))
        zipFolder(path);
    else
        zipFileToDesFile(path);
    // The item is in the archive, its progress reported, when this returns.
    if (pipeline_)
        pipeline_->finish();
}

void ZipWriter::zipFolder(const QString &path) {
    zipFolder(path, FolderLoopGuard());
}

void ZipWriter::zipFolder(const QString &path, const FolderLoopGuard &above) {
    const auto entered = above.enter(path);
    if (!entered) {
        zipFileToDesFile(path);
        return;
    }
    // An unreadable folder is named as left out, not stored as if it were empty.
    if (::access(nativePath(path).constData(), R_OK | X_OK) != 0) {
        leftOut_.append(relativePath(path) + QLatin1Char('/'));
        return;
    }
    zipOnlyFolder(path);
    for (const QString &child :
         FileTree::contentsOfFolder(path, ScanOptions::ignoresHidden(propertyOptions_))) {
        if (checkCancelled())
            return;
        if (FileAttributes::isFolder(child))
            zipFolder(child, *entered);
        else
            zipFileToDesFile(child);
    }
}

void ZipWriter::zipOnlyFolder(const QString &path) {
    const QString name = relativePath(path);
    if (pipeline_ && !name.isEmpty())
        pipeline_->addAction(
            [this, name] { zipOpenNewFile(name + QLatin1Char('/'), true, FileType::Directory); });
}

void ZipWriter::zipFileToDesFile(const QString &path) {
    const QString name = relativePath(path);
    // The archive being written is never added to itself.
    if (!pipeline_ || name.isEmpty() || FileTree::resolveSymlinks(path) == realArchivePath_)
        return;
    struct stat st;
    if (::lstat(nativePath(path).constData(), &st) != 0) {
        setFailure(Engine::tr("Can't open '%1'").arg(name));
        return;
    }
    if (S_ISLNK(st.st_mode))
        zipSymbolicLink(path, name);
    else if (S_ISREG(st.st_mode))
        zipRegularFile(path, name);
}

void ZipWriter::zipSymbolicLink(const QString &path, const QString &name) {
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(nativePath(path).constData(), target.data(), target.size());
    if (length < 0) {
        setFailure(Engine::tr("Can't open '%1'").arg(name));
        return;
    }
    target.truncate(length);
    pipeline_->addAction([this, name, target] {
        if (!zipOpenNewFile(name, false, FileType::SymbolicLink))
            return;
        if (zipWriteInFileInZip(zipFile_, target.constData(), unsigned(target.size())) < 0) {
            const int cause = errno;
            setFailure(Engine::tr("Error in writing '%1' in the zipfile").arg(name), cause);
        }
        zipCloseFile(name);
    });
}

void ZipWriter::zipRegularFile(const QString &path, const QString &name) {
    // Opened without following a link and checked again, so the item examined is the one read.
    const int fd =
        ::open(nativePath(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        // One unreadable file costs the archive that file only.
        leftOut_.append(name);
        return;
    }
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        setFailure(Engine::tr("Can't open '%1'").arg(name));
        return;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // The local header must have room for 64-bit sizes before the data is written; the bound
    // covers data that deflate cannot shrink.
    const bool isLarge = compressBound(uLong(st.st_size)) >= kZip32Limit;
    pipeline_->addFile(fd, quint64(st.st_size), name, isLarge);
}

quint32 ZipWriter::externalAttributes(FileType fileType) {
    switch (fileType) {
    case FileType::Directory:
        return kFolderAttributes;
    case FileType::SymbolicLink:
        return kLinkAttributes;
    case FileType::Regular:
        break;
    }
    return kFileAttributes;
}

bool ZipWriter::zipOpenNewFile(const QString &name, bool needsClose, FileType fileType,
                               bool isLarge, bool isRaw) {
    zip_fileinfo info{};
    info.tmz_date = zipDate(QDateTime::currentDateTime());
    info.external_fa = externalAttributes(fileType);
    const QByteArray bytes = name.toUtf8();
    const uLong flagBase = isPlainAscii(bytes) ? 0 : kLanguageEncodingFlag;
    const int result = zipOpenNewFileInZip4_64(
        zipFile_, bytes.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
        Z_DEFAULT_COMPRESSION, isRaw ? 1 : 0, -MAX_WBITS, kMemoryLevel, Z_DEFAULT_STRATEGY, nullptr,
        0, kVersionMadeBy, flagBase, isLarge ? 1 : 0);
    if (result != ZIP_OK) {
        const int cause = errno;
        setFailure(Engine::tr("Error in opening '%1' in zipfile").arg(name), cause);
        return false;
    }
    if (needsClose)
        zipCloseFile(name);
    return true;
}

void ZipWriter::zipCloseFile(const QString &name) {
    if (zipCloseFileInZip(zipFile_) != ZIP_OK) {
        const int cause = errno;
        setFailure(Engine::tr("Error in closing '%1' in the zipfile").arg(name), cause);
    }
}
