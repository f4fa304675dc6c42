#include "archive/CompressedFileArchive.h"

#include "archive/YTarManager.h"
#include "archive/ZipEntry.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"
#include "util/IActionProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

CompressedFileArchive::~CompressedFileArchive() {
    removeTempFile();
}

void CompressedFileArchive::listFiles() {
    clearError();
    if (!generateTempFile())
        return;
    if (isTar()) {
        // A fresh tar reader, so a listing after an encoding change uses the current encoding.
        tarManager_ = makeTarReader();
        tarManager_->listFiles();
        return;
    }
    ZipEntry::Fields fields;
    fields.compressedSize = FileUtil::getFileSize(filePath());
    fields.uncompressedSize = FileUtil::getFileSize(tempFile_);
    ZipEntry::addToRootEntry(std::make_unique<ZipEntry>(FileUtil::getFileName(tempFile_), fields),
                             rootEntry());
}

void CompressedFileArchive::unArchivePath(const QString &destination) {
    unArchivePath(nullptr, destination);
}

void CompressedFileArchive::unArchivePath(ZipEntry *entry, const QString &destination) {
    clearError();
    if (!generateTempFile())
        return;
    if (!isTar())
        unArchiveNoTarFormat(destination);
    else if (entry)
        tarReader()->unArchivePath(entry, destination);
    else
        tarReader()->unArchivePath(destination);
}

std::optional<Error> CompressedFileArchive::archiveError() const {
    if (auto own = ArchiveBase::archiveError())
        return own;
    return tarManager_ ? tarManager_->archiveError() : std::nullopt;
}

void CompressedFileArchive::setActionDelegate(IActionProgress *delegate) {
    ArchiveBase::setActionDelegate(delegate);
    if (tarManager_)
        tarManager_->setActionDelegate(delegate);
}

void CompressedFileArchive::setFileEncoding(StringEncoding encoding) {
    ArchiveBase::setFileEncoding(encoding);
    if (tarManager_)
        tarManager_->setFileEncoding(encoding);
}

void CompressedFileArchive::setIsArchiveFileTime(bool value) {
    ArchiveBase::setIsArchiveFileTime(value);
    if (tarManager_)
        tarManager_->setIsArchiveFileTime(value);
}

bool CompressedFileArchive::generateTempFile() {
    if (!tempFile_.isEmpty() && QFileInfo::exists(tempFile_))
        return true;
    removeTempFile();
    const QString folder = tempItemDirectory();
    QFile output(folder + QLatin1Char('/') + tempFileName());
    if (!output.open(QIODevice::WriteOnly)) {
        errorFailedToCreateFile(tempFileName());
        FileUtil::deleteFile(folder);
        return false;
    }
    unreportedSize_ = 0;
    const bool complete = decompress(output);
    output.close();
    // Only a complete decompression is kept: a later call must not take a partial file for it.
    if (!complete) {
        FileUtil::deleteFile(folder);
        return false;
    }
    tempFile_ = output.fileName();
    return true;
}

void CompressedFileArchive::removeTempFile() {
    tarManager_.reset();
    if (tempFile_.isEmpty())
        return;
    FileUtil::deleteFile(FileUtil::getFileDirectory(tempFile_));
    tempFile_.clear();
}

bool CompressedFileArchive::isTar() const {
    return FileUtil::getFileExtension(tempFile_).toLower() == QLatin1String("tar");
}

QString CompressedFileArchive::tempFileName() const {
    const QString name = FileUtil::getFileNameNoExtension(filePath());
    if (tarExtensions().contains(FileUtil::getFileExtension(filePath()).toLower()))
        return name + QStringLiteral(".tar");
    return name;
}

void CompressedFileArchive::unArchiveNoTarFormat(const QString &destination) {
    QDir().mkpath(destination);
    const QString target =
        FileUtil::getCreateFileName(destination, FileUtil::getFileNameNoExtension(tempFile_),
                                    FileUtil::getFileExtension(tempFile_));
    const bool copied = FileUtil::copyFile(tempFile_, target, true, false, actionDelegate());
    if (copied && !isCurrentThreadCancelled())
        return;
    if (copied)
        errorCancelOpertion();
    else
        errorFailedToCreateFile(target);
    FileUtil::deleteFile(target);
}

bool CompressedFileArchive::writeDecompressed(QFile &output, const char *data, qint64 length,
                                              quint64 readPosition) {
    if (output.write(data, length) != length) {
        errorFailedToCreateFile(FileUtil::getFileName(output.fileName()));
        return false;
    }
    unreportedSize_ += quint64(length);
    if (unreportedSize_ > kProgressThreshold) {
        if (actionDelegate())
            actionDelegate()->progressUpdateCurrentSize(readPosition);
        unreportedSize_ = 0;
    }
    return true;
}

YTarManager *CompressedFileArchive::tarReader() {
    if (!tarManager_)
        tarManager_ = makeTarReader();
    return tarManager_.get();
}

std::unique_ptr<YTarManager> CompressedFileArchive::makeTarReader() const {
    auto reader = ArchiveBase::create<YTarManager>(tempFile_, rootEntry(), actionDelegate(),
                                                   password(), fileEncoding());
    reader->setIsArchiveFileTime(isArchiveFileTime());
    return reader;
}
