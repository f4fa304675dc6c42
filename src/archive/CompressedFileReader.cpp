#include "archive/CompressedFileReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/TarInput.h"
#include "archive/TarReader.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileGrowth.h"
#include "util/FileOps.h"
#include "util/FreePlacement.h"
#include "util/MemoryBlock.h"
#include "util/PathUtil.h"
#include "util/ProgressReceiver.h"
#include "util/StreamWindow.h"
#include "util/TaskQueue.h"
#include "util/TempFolders.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <optional>

namespace {
// Decoded data the followers of a stream may lag behind each other and the decoder by: small
// enough to stay in the processor's cache between the decoder's copy and the extractor's write.
constexpr qint64 kWindowSize = qint64{2} * 1024 * 1024;
} // namespace

// Writes the decompressed data on a strand of the pool and tells the follower how far it got, so
// that decompressing, writing and reading the tar overlap.
class CompressedFileReader::TempFileFeed {
public:
    TempFileFeed(QFile &output, FileGrowth &growth)
        : output_(output)
        , growth_(growth) {}

    // False once a write has failed.
    bool append(const char *data, qint64 length) {
        if (failed_)
            return false;
        writes_.post(
            [this, chunk = QByteArray(data, length)] {
                if (!failed_ && output_.write(chunk) == chunk.size())
                    growth_.grow(chunk.size());
                else
                    failed_ = true;
            },
            length);
        return true;
    }
    // Waits for every write; true when all of them succeeded.
    bool close() {
        writes_.wait();
        return !failed_;
    }

private:
    static constexpr qint64 kBudget = qint64{8} * 1024 * 1024;

    QFile &output_;
    FileGrowth &growth_;
    std::atomic<bool> failed_ = false;
    TaskQueue writes_{{.width = 1, .budget = kBudget}};
};

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
    std::vector<TempFileFollower> followers{[this](const QString &path, const GrowingTar &growing) {
        tarManager_ = makeTarReader(path);
        tarManager_->followGrowth(&growing);
        tarManager_->listEntries();
        tarManager_->followGrowth(nullptr);
    }};
    // An announced extraction reads the same growing file on a third; its progress is the
    // listing's.
    if (!earlyDestination_.isEmpty()) {
        followers.push_back([this](const QString &path, const GrowingTar &growing) {
            earlyExtractor_ = makeTarReader(path);
            earlyExtractor_->setProgressReceiver(nullptr);
            earlyExtractor_->followGrowth(&growing);
            earlyExtractor_->extract(earlyDestination_);
            earlyExtractor_->followGrowth(nullptr);
        });
    }
    // Nothing reads the data again after an announced extraction: it is kept nowhere.
    const bool complete = generateTempFile(followers, earlyDestination_.isEmpty());
    // Entries read before the decompression failed are no listing, unless the data read is kept.
    if (!complete) {
        tarManager_.reset();
        rootEntry()->clear();
    } else if (staged_) {
        // Decoded into memory in one go: no file grew for the follower to read.
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

bool CompressedFileReader::generateTempFile(const std::vector<TempFileFollower> &followers,
                                            bool keep) {
    if (staged_ || (!tempFile_.isEmpty() && QFileInfo::exists(tempFile_)))
        return true;
    removeTempFile();
    readProgress_.reset();
    cutShort_ = false;
    // Data that is not kept goes to the followers as it comes out, so that writing what they
    // extract overlaps the decoding.
    if (!keep && !followers.empty())
        return streamToFollowers(followers);
    if (auto block = decompressToMemory()) {
        staged_ = std::move(block);
        return true;
    }
    // The stream starts over from the beginning, and so does its progress.
    readProgress_.reset();
    // A decompressed tar may be large: it goes to the cache folder on disk, not to /tmp.
    const QString folder = TempFolders::newLargeItemFolder();
    // Unbuffered, so that what was written can be read at once.
    QFile output(folder + QLatin1Char('/') + tempFileName());
    if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        errorFailedToCreateFile(tempFileName());
        FileOps::removeItem(folder);
        return false;
    }
    FileGrowth growth;
    std::optional<TempFileFeed> feed;
    if (!followers.empty())
        feed_ = &feed.emplace(output, growth);
    auto following = startFollowers(followers, output.fileName(),
                                    [&growth](int) { return GrowingTar{.growth = &growth}; });
    bool complete = decompress(output);
    const bool written = !feed || feed->close();
    if (!written && complete) {
        errorFailedToCreateFile(tempFileName());
        complete = false;
    }
    feed_ = nullptr;
    feed.reset();
    output.close();
    growth.finish();
    following.reset();
    // A stream cut short keeps what it gave; anything else must not pass for a complete result
    // in a later call (damaged data may decode to wrong bytes before the damage shows).
    if (!complete && cutShort_ && written && output.size() > 0) {
        damage_ = ::archiveError(ArchiveErrorCode::CutShort);
        complete = true;
    }
    if (!complete) {
        FileOps::removeItem(folder);
        return false;
    }
    tempFile_ = output.fileName();
    return true;
}

bool CompressedFileReader::streamToFollowers(const std::vector<TempFileFollower> &followers) {
    StreamWindow window(int(followers.size()), kWindowSize);
    auto following = startFollowers(followers, tempFileName(), [&window](int follower) {
        return GrowingTar{.window = &window, .reader = follower};
    });
    window_ = &window;
    // Never opened: the data goes to the window.
    QFile unopened(tempFileName());
    bool complete = decompress(unopened);
    window_ = nullptr;
    window.finish();
    following.reset();
    // What came before a cut went to the followers, as it goes to a temporary file.
    if (!complete && cutShort_ && window.produced() > 0) {
        damage_ = ::archiveError(ArchiveErrorCode::CutShort);
        complete = true;
    }
    return complete;
}

std::unique_ptr<TaskQueue>
CompressedFileReader::startFollowers(const std::vector<TempFileFollower> &followers,
                                     const QString &path,
                                     const std::function<GrowingTar(int follower)> &source) {
    if (followers.empty())
        return nullptr;
    // A follower waits for the decompression: each runs on a lane of its own.
    auto following = std::make_unique<TaskQueue>(
        TaskQueue::Options{.width = int(followers.size()), .tasksWait = true});
    for (int index = 0; index < int(followers.size()); ++index) {
        following->post([&follower = followers[std::size_t(index)], path, growing = source(index)] {
            follower(path, growing);
            if (growing.window)
                growing.window->leave(growing.reader);
        });
    }
    return following;
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

bool CompressedFileReader::writeDecompressed(QFile &output, const char *data, qint64 length,
                                             quint64 readPosition) {
    if (window_)
        window_->append(data, length);
    else if (!(feed_ ? feed_->append(data, length) : output.write(data, length) == length)) {
        errorFailedToCreateFile(PathUtil::fileName(output.fileName()));
        return false;
    }
    reportDecompressed(length, readPosition);
    return true;
}

void CompressedFileReader::reportDecompressed(qint64 length, quint64 readPosition) {
    if (readProgress_.add(quint64(length))) {
        readProgress_.take();
        if (progressReceiver())
            progressReceiver()->setDone(readPosition);
    }
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

std::unique_ptr<TarReader> CompressedFileReader::makeTarReader(const QString &tarPath) const {
    auto reader = ReaderBase::create<TarReader>(tarPath, rootEntry(), progressReceiver(),
                                                password(), fileEncoding());
    reader->setRestoresDates(restoresDates());
    if (staged_)
        reader->readFromMemory(staged_->bytes());
    return reader;
}
