#include "archive/CompressedFileReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/DecodedStaging.h"
#include "archive/TarReader.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileOps.h"
#include "util/FreePlacement.h"
#include "util/MemoryBlock.h"
#include "util/PathUtil.h"
#include "util/ProgressReceiver.h"
#include "util/TaskQueue.h"
#include "util/TempFolders.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

CompressedFileReader::~CompressedFileReader() {
    removeTempFile();
}

void CompressedFileReader::listEntries() {
    clearError();
    if (!isDecompressed() && namesTar()) {
        listTarWhileDecompressing();
        return;
    }
    if (!generateTempFile())
        return;
    if (namesTar()) {
        // A fresh tar reader, so a listing after an encoding change uses the current encoding.
        tarManager_ = makeTarReader(decompressedName());
        tarManager_->listEntries();
    } else {
        ArchiveEntry::Fields fields;
        fields.compressedSize = FileAttributes::fileSize(filePath());
        fields.uncompressedSize =
            staged_ ? quint64(staged_->size()) : FileAttributes::fileSize(tempFile_);
        ArchiveEntry::addToRoot(std::make_unique<ArchiveEntry>(tempFileName(), fields),
                                rootEntry());
    }
    reportDamage();
}

void CompressedFileReader::reportDamage() {
    if (damage_)
        setError(*damage_);
}

void CompressedFileReader::listTarWhileDecompressing() {
    // The tar headers are read on a second thread as the data comes out, so a first listing
    // costs about the decompression alone.
    std::vector<TempFileFollower> followers{[this](const DecodedStaging &staging) {
        tarManager_ = makeTarReader(staging.path());
        tarManager_->readFrom(staging.memory(), &staging.growth());
        tarManager_->listEntries();
    }};
    // An announced extraction reads the same growing file on a third; its progress is the
    // listing's.
    if (!earlyDestination_.isEmpty()) {
        followers.push_back([this](const DecodedStaging &staging) {
            earlyExtractor_ = makeTarReader(staging.path());
            earlyExtractor_->setProgressReceiver(nullptr);
            earlyExtractor_->readFrom(staging.memory(), &staging.growth());
            earlyExtractor_->extract(earlyDestination_);
        });
    }
    const bool complete = generateTempFile(followers);
    // Entries read before the decompression failed are no listing, unless the data read is kept.
    if (!complete) {
        tarManager_.reset();
        rootEntry()->clear();
    } else if (!tarManager_) {
        // Decoded into memory in one go: no data came out for the follower to read.
        tarManager_ = makeTarReader(decompressedName());
        tarManager_->listEntries();
    }
    if (!complete || !earlyExtractor_)
        earlyDestination_.clear();
    reportDamage();
}

void CompressedFileReader::extract(const QString &destination) {
    extract(nullptr, destination);
}

void CompressedFileReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry && earlyExtractor_ && destination == earlyDestination_) {
        // Done during the listing: its reader holds the outcome.
        tarManager_ = std::move(earlyExtractor_);
        tarManager_->setProgressReceiver(progressReceiver());
        earlyDestination_.clear();
        reportDamage();
        return;
    }
    if (!generateTempFile())
        return;
    if (!namesTar())
        copyDecompressed(destination);
    else if (entry)
        tarReader()->extract(entry, destination);
    else
        tarReader()->extract(destination);
    reportDamage();
}

std::optional<Error> CompressedFileReader::archiveError() const {
    if (auto own = ReaderBase::archiveError())
        return own;
    return tarManager_ ? tarManager_->archiveError() : std::nullopt;
}

ArchiveWarnings CompressedFileReader::warnings() const {
    ArchiveWarnings all = ReaderBase::warnings();
    if (tarManager_)
        all += tarManager_->warnings();
    return all;
}

void CompressedFileReader::setProgressReceiver(ProgressReceiver *delegate) {
    ReaderBase::setProgressReceiver(delegate);
    if (tarManager_)
        tarManager_->setProgressReceiver(delegate);
}

void CompressedFileReader::setFileEncoding(StringEncoding encoding) {
    ReaderBase::setFileEncoding(encoding);
    if (tarManager_)
        tarManager_->setFileEncoding(encoding);
}

void CompressedFileReader::setRestoresDates(bool value) {
    ReaderBase::setRestoresDates(value);
    if (tarManager_)
        tarManager_->setRestoresDates(value);
}

bool CompressedFileReader::generateTempFile(const std::vector<TempFileFollower> &followers) {
    if (staged_ || (!tempFile_.isEmpty() && QFileInfo::exists(tempFile_)))
        return true;
    removeTempFile();
    // Even an announced extraction waits for a one-go decoding: libdeflate and the writes one
    // after the other take less time than zlib's stream with the writes beside it.
    if (auto block = decompressToMemory()) {
        // The one call neither reported progress nor saw a cancel: now is the moment to stop.
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return false;
        }
        staged_ = std::move(block);
        return true;
    }
    // Data too large for memory goes to the cache folder on disk, not to /tmp.
    const QString folder = TempFolders::newLargeItemFolder();
    DecodedStaging staging(MemoryBlock::reserveUpTo(kLargestInMemory),
                           folder + QLatin1Char('/') + tempFileName());
    readProgress_.reset();
    cutShort_ = false;
    // The followers wait for the data: they run on lanes of their own.
    std::optional<TaskQueue> following;
    if (!followers.empty()) {
        following.emplace(TaskQueue::Options{.width = int(followers.size()), .tasksWait = true});
        for (const TempFileFollower &follower : followers)
            following->post([&follower, &staging] { follower(staging); });
    }
    staging_ = &staging;
    bool complete = decompress();
    staging_ = nullptr;
    const bool written = staging.finish();
    if (!written && complete) {
        stagingFailed(staging);
        complete = false;
    }
    following.reset();
    // A stream cut short keeps what it gave; anything else must not pass for a complete result
    // in a later call (damaged data may decode to wrong bytes before the damage shows).
    if (!complete && cutShort_ && written && staging.size() > 0) {
        damage_ = ::archiveError(ArchiveErrorCode::CutShort);
        complete = true;
    }
    if (complete && staging.spilled())
        tempFile_ = staging.path();
    else if (complete)
        staged_ = staging.takeMemory();
    if (tempFile_.isEmpty())
        FileOps::removeItem(folder);
    // The followers' readers outlive the staging: from now on they read what it left.
    for (TarReader *reader : {tarManager_.get(), earlyExtractor_.get()}) {
        if (reader)
            reader->readFrom(stagedBytes(), nullptr);
    }
    return complete;
}

void CompressedFileReader::removeTempFile() {
    tarManager_.reset();
    earlyExtractor_.reset();
    damage_.reset();
    staged_.reset();
    if (tempFile_.isEmpty())
        return;
    FileOps::removeItem(PathUtil::parentFolder(tempFile_));
    tempFile_.clear();
}

bool CompressedFileReader::namesTar() const {
    return isTarName(tempFileName());
}

bool CompressedFileReader::isTarName(const QString &name) {
    return PathUtil::extension(name).toLower() == QLatin1String("tar");
}

QString CompressedFileReader::tempFileName() const {
    QString name = PathUtil::baseName(filePath());
    if (tarExtensions().contains(PathUtil::extension(filePath()).toLower()))
        return name + QStringLiteral(".tar");
    return name;
}

QString CompressedFileReader::decompressedName() const {
    return staged_ ? tempFileName() : tempFile_;
}

void CompressedFileReader::copyDecompressed(const QString &destination) {
    QDir().mkpath(destination);
    const QString target = FreePlacement::freeFileName(
        destination, PathUtil::baseName(tempFileName()), PathUtil::extension(tempFileName()));
    QFile file(tempFile_);
    QBuffer memory;
    if (staged_)
        memory.setData(QByteArray::fromRawData(staged_->data(), staged_->size()));
    QIODevice &source = staged_ ? static_cast<QIODevice &>(memory) : file;
    if (FileOps::copyFile(source, target, progressReceiver()))
        return;
    if (isCurrentThreadCancelled())
        setCancelled();
    else
        errorFailedToCreateFile(PathUtil::fileName(target));
}

char *CompressedFileReader::inPlaceBuffer(qint64 length) const {
    return staging_ ? staging_->freeSpace(length) : nullptr;
}

bool CompressedFileReader::writeDecompressed(const char *data, qint64 length,
                                             quint64 readPosition) {
    if (!staging_->append(data, length)) {
        stagingFailed(*staging_);
        return false;
    }
    if (readProgress_.add(quint64(length))) {
        readProgress_.take();
        if (progressReceiver())
            progressReceiver()->setDone(readPosition);
    }
    return true;
}

void CompressedFileReader::errorCutShort() {
    setError(::archiveError(ArchiveErrorCode::CutShort));
    cutShort_ = true;
}

TarReader *CompressedFileReader::tarReader() {
    if (!tarManager_)
        tarManager_ = makeTarReader(decompressedName());
    return tarManager_.get();
}

void CompressedFileReader::stagingFailed(const DecodedStaging &staging) {
    writeFailed(writeError(staging.writeErrno(), tempFileName()), tempFileName());
}

QByteArrayView CompressedFileReader::stagedBytes() const {
    return staged_ ? staged_->bytes() : QByteArrayView();
}

std::unique_ptr<TarReader> CompressedFileReader::makeTarReader(const QString &tarPath) const {
    auto reader = ReaderBase::create<TarReader>(tarPath, rootEntry(), progressReceiver(),
                                                password(), fileEncoding());
    reader->setRestoresDates(restoresDates());
    reader->readFrom(stagedBytes(), nullptr);
    return reader;
}
