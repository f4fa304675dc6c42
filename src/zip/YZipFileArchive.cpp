#include "zip/YZipFileArchive.h"

#include "util/FileTree.h"
#include "util/FileUtil.h"

#include <QDateTime>
#include <QFile>

#include <array>
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
constexpr std::size_t kBufferSize = 10240;
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

// Closes the descriptor when it goes out of scope.
class OpenFile {
public:
    explicit OpenFile(const QString &path)
        : fd(::open(nativePath(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)) {
    }
    ~OpenFile() {
        if (fd >= 0)
            ::close(fd);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    const int fd;
};

} // namespace

bool YZipFileArchive::zipFilesWithParentRelative(
    const QStringList &paths, IActionProgress *delegate, const QString &desPath,
    const std::optional<FilePropertyOptions> &propertyOptions, QString *zipMsg) {
    YZipFileArchive writer(desPath, propertyOptions, delegate);
    const bool written = writer.zipItems(paths, std::nullopt);
    if (zipMsg)
        *zipMsg = writer.zipMsg().value_or(QString());
    return written;
}

bool YZipFileArchive::zipFiles(const QStringList &paths, IActionProgress *delegate,
                               const QString &desPath, const QString &relative_const,
                               const std::optional<FilePropertyOptions> &propertyOptions) {
    YZipFileArchive writer(desPath, propertyOptions, delegate);
    return writer.zipItems(paths, relative_const);
}

YZipFileArchive::YZipFileArchive(const QString &zipPath,
                                 const std::optional<FilePropertyOptions> &propertyOptions,
                                 IActionProgress *delegate)
    : ZipBase(zipPath, propertyOptions, delegate)
    , _zipFile(zipOpen64(nativePath(zipPath).constData(), APPEND_STATUS_CREATE)) {
    if (!_zipFile)
        setZipMsg(message("Can't open '%1'", FileUtil::getFileName(zipPath)));
    realArchivePath = FileTree::resolveSymlinks(zipPath);
}

YZipFileArchive::~YZipFileArchive() {
    finish();
}

bool YZipFileArchive::finish() {
    if (_zipFile) {
        if (zipClose(_zipFile, nullptr) != ZIP_OK)
            setZipMsg(
                message("Error in closing '%1' in the zipfile", FileUtil::getFileName(filePath())));
        _zipFile = nullptr;
        if (hasFailed())
            removeArchive();
    }
    return !hasFailed();
}

void YZipFileArchive::removeArchive() const {
    // Only the regular file this writer made is removed, never what replaced it meanwhile.
    struct stat st;
    const QByteArray path = nativePath(filePath());
    if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::unlink(path.constData());
}

void YZipFileArchive::zip(const QString &path) {
    if (!_zipFile)
        return;
    if (FileUtil::isDirectoryFilePath(path))
        zipFolder(path);
    else
        zipFileToDesFile(path);
}

void YZipFileArchive::zipFolder(const QString &path) {
    zipFolder(path, FolderLoopGuard());
}

void YZipFileArchive::zipFolder(const QString &path, const FolderLoopGuard &above) {
    const auto entered = above.enter(path);
    if (!entered) {
        zipFileToDesFile(path);
        return;
    }
    zipOnlyFolder(path);
    for (const QString &child :
         FileTree::contentsOfFolder(path, FilePropertyOptions::ignoresHidden(propertyOptions()))) {
        if (checkCancelled())
            return;
        if (FileUtil::isDirectoryFilePath(child))
            zipFolder(child, *entered);
        else
            zipFileToDesFile(child);
    }
}

void YZipFileArchive::zipOnlyFolder(const QString &path) {
    const QString name = getRelativePath(path);
    if (!name.isEmpty())
        zipOpenNewFile(name + QLatin1Char('/'), true, FileType::Directory);
}

void YZipFileArchive::zipFileToDesFile(const QString &path) {
    const QString name = getRelativePath(path);
    // The archive being written is never added to itself.
    if (name.isEmpty() || FileTree::resolveSymlinks(path) == realArchivePath)
        return;
    struct stat st;
    if (::lstat(nativePath(path).constData(), &st) != 0) {
        setZipMsg(message("Can't open '%1'", name));
        return;
    }
    if (S_ISLNK(st.st_mode))
        zipSymbolicLink(path, name);
    else if (S_ISREG(st.st_mode))
        zipRegularFile(path, name);
}

void YZipFileArchive::zipSymbolicLink(const QString &path, const QString &name) {
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(nativePath(path).constData(), target.data(), target.size());
    if (length < 0) {
        setZipMsg(message("Can't open '%1'", name));
        return;
    }
    if (!zipOpenNewFile(name, false, FileType::SymbolicLink))
        return;
    if (zipWriteInFileInZip(_zipFile, target.constData(), unsigned(length)) < 0)
        setZipMsg(message("Error in writing '%1' in the zipfile", name));
    zipCloseFile(name);
}

void YZipFileArchive::zipRegularFile(const QString &path, const QString &name) {
    // Opened without following a link and checked again, so the item examined is the one read.
    const OpenFile file(path);
    struct stat st;
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        setZipMsg(message("Can't open '%1'", name));
        return;
    }
    // The local header must have room for 64-bit sizes before the data is written; the bound
    // covers data that deflate cannot shrink.
    const bool isLarge = compressBound(uLong(st.st_size)) >= kZip32Limit;
    if (!zipOpenNewFile(name, false, FileType::Regular, isLarge))
        return;
    copyToEntry(file.fd, name);
    zipCloseFile(name);
}

void YZipFileArchive::copyToEntry(int fd, const QString &name) {
    std::array<char, kBufferSize> buffer;
    while (!checkCancelled()) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got == 0)
            return;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            setZipMsg(message("Error in reading '%1'", name));
            return;
        }
        if (zipWriteInFileInZip(_zipFile, buffer.data(), unsigned(got)) < 0) {
            setZipMsg(message("Error in writing '%1' in the zipfile", name));
            return;
        }
        addProgress(quint64(got));
    }
}

quint32 YZipFileArchive::externalAttributes(FileType fileType) {
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

bool YZipFileArchive::zipOpenNewFile(const QString &name, bool neeedClose, FileType fileType,
                                     bool isLarge) {
    zip_fileinfo info{};
    info.tmz_date = zipDate(QDateTime::currentDateTime());
    info.external_fa = externalAttributes(fileType);
    const QByteArray bytes = name.toUtf8();
    const uLong flagBase = isPlainAscii(bytes) ? 0 : kLanguageEncodingFlag;
    const int result = zipOpenNewFileInZip4_64(
        _zipFile, bytes.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
        Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, kMemoryLevel, Z_DEFAULT_STRATEGY, nullptr, 0,
        kVersionMadeBy, flagBase, isLarge ? 1 : 0);
    if (result != ZIP_OK) {
        setZipMsg(message("Error in opening '%1' in zipfile", name));
        return false;
    }
    if (neeedClose)
        zipCloseFile(name);
    return true;
}

void YZipFileArchive::zipCloseFile(const QString &name) {
    if (zipCloseFileInZip(_zipFile) != ZIP_OK)
        setZipMsg(message("Error in closing '%1' in the zipfile", name));
}
