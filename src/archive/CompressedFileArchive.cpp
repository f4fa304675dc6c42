#include "archive/CompressedFileArchive.h"

#include "archive/YTarManager.h"
#include "archive/ZipEntry.h"
#include "util/Cancellation.h"
#include "util/FileGrowth.h"
#include "util/FileUtil.h"
#include "util/IActionProgress.h"
#include "util/SerialWorker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <optional>
#include <thread>

// Writes the decompressed data on a thread of its own and tells the follower how far it got, so
// that decompressing, writing and reading the tar overlap.
class CompressedFileArchive::TempFileFeed {
public:
    TempFileFeed(QFile &output, FileGrowth &growth)
        : output(output)
        , growth(growth)
        , worker(kBudget) {}

    // False once a write has failed.
    bool append(const char *data, qint64 length) {
        if (failed)
            return false;
        worker.post(
            [this, chunk = QByteArray(data, length)] {
                if (!failed && output.write(chunk) == chunk.size())
                    growth.grow(chunk.size());
                else
                    failed = true;
            },
            length);
        return true;
    }
    // Waits for every write; true when all of them succeeded.
    bool close() {
        worker.wait();
        return !failed;
    }

private:
    static constexpr qint64 kBudget = 8 * 1024 * 1024;

    QFile &output;
    FileGrowth &growth;
    std::atomic<bool> failed = false;
    SerialWorker worker;
};

CompressedFileArchive::~CompressedFileArchive() {
    removeTempFile();
}

void CompressedFileArchive::listFiles() {
    clearError();
    if (tempFile_.isEmpty() && namesTar()) {
        listTarWhileDecompressing();
        return;
    }
    if (!generateTempFile())
        return;
    if (isTar()) {
        // A fresh tar reader, so a listing after an encoding change uses the current encoding.
        tarManager_ = makeTarReader(tempFile_);
        tarManager_->listFiles();
        return;
    }
    ZipEntry::Fields fields;
    fields.compressedSize = FileUtil::getFileSize(filePath());
    fields.uncompressedSize = FileUtil::getFileSize(tempFile_);
    ZipEntry::addToRootEntry(std::make_unique<ZipEntry>(FileUtil::getFileName(tempFile_), fields),
                             rootEntry());
}

void CompressedFileArchive::listTarWhileDecompressing() {
    // The tar headers are read on a second thread as the data comes out, so a first listing
    // costs about the decompression alone.
    const bool complete = generateTempFile([this](const QString &path, const FileGrowth &growth) {
        tarManager_ = makeTarReader(path);
        tarManager_->followGrowth(&growth);
        tarManager_->listFiles();
        tarManager_->followGrowth(nullptr);
    });
    // Entries read before the decompression failed are no listing.
    if (!complete) {
        tarManager_.reset();
        rootEntry()->clear();
    }
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

bool CompressedFileArchive::generateTempFile(const TempFileFollower &follower) {
    if (!tempFile_.isEmpty() && QFileInfo::exists(tempFile_))
        return true;
    removeTempFile();
    const QString folder = tempItemDirectory();
    // Unbuffered, so that what was written can be read at once.
    QFile output(folder + QLatin1Char('/') + tempFileName());
    if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        errorFailedToCreateFile(tempFileName());
        FileUtil::deleteFile(folder);
        return false;
    }
    unreportedSize_ = 0;
    FileGrowth growth;
    std::thread following;
    std::optional<TempFileFeed> feed;
    if (follower) {
        following = std::thread(follower, output.fileName(), std::cref(growth));
        feed_ = &feed.emplace(output, growth);
    }
    bool complete = decompress(output);
    if (feed && !feed->close() && complete) {
        errorFailedToCreateFile(tempFileName());
        complete = false;
    }
    feed_ = nullptr;
    feed.reset();
    output.close();
    growth.finish();
    if (following.joinable())
        following.join();
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
    return isTarName(tempFile_);
}

bool CompressedFileArchive::namesTar() const {
    return isTarName(tempFileName());
}

bool CompressedFileArchive::isTarName(const QString &name) {
    return FileUtil::getFileExtension(name).toLower() == QLatin1String("tar");
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
    const bool written = feed_ ? feed_->append(data, length) : output.write(data, length) == length;
    if (!written) {
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
        tarManager_ = makeTarReader(tempFile_);
    return tarManager_.get();
}

std::unique_ptr<YTarManager> CompressedFileArchive::makeTarReader(const QString &tarPath) const {
    auto reader = ArchiveBase::create<YTarManager>(tarPath, rootEntry(), actionDelegate(),
                                                   password(), fileEncoding());
    reader->setIsArchiveFileTime(isArchiveFileTime());
    return reader;
}
