#include "archive/ZipReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/SafePath.h"
#include "archive/UniqueEntryPaths.h"
#include "archive/ZipEntryFileWriter.h"
#include "archive/ZipLibarchiveDecoder.h"
#include "archive/ZipParallelExtractor.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileOps.h"
#include "util/PathUtil.h"
#include "util/ProgressSteps.h"

namespace {

constexpr qsizetype kBufferSize = 4096;

ArchiveEntry::Fields fieldsOf(const ZipEntryInfo &info) {
    ArchiveEntry::Fields fields;
    fields.location = {.offset = info.position.positionInDirectory, .index = info.position.index};
    fields.CRC = info.crc;
    fields.compressedSize = info.compressedSize;
    fields.uncompressedSize = info.uncompressedSize;
    fields.compressionType = info.compressionMethod;
    if (info.modifiedMSecs)
        fields.date = EntryDate::local(*info.modifiedMSecs);
    fields.encrypted = info.isEncrypted();
    return fields;
}

// The whole data of a short entry; none when it cannot be decoded or is too long.
std::optional<QByteArray> readShortData(ZipEntryStream &stream, qsizetype limit) {
    QByteArray data;
    char buffer[kBufferSize];
    for (;;) {
        const qint64 count = stream.readData(buffer, kBufferSize);
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            return data;
        data.append(buffer, qsizetype(count));
        if (data.size() > limit)
            return std::nullopt;
    }
}

} // namespace

ZipReader::ZipReader(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
                     const QString &password, StringEncoding fileEncoding)
    : ReaderBase(filePath, rootEntry, action, password, fileEncoding) {
}

ZipReader::~ZipReader() {
    closeArchive();
}

bool ZipReader::openArchive() {
    resetProgressSize();
    clearError();
    // An archive of no entries is an empty archive, not a broken one.
    if (!zip_.open(filePath())) {
        if (MiniZipFile::isSplitArchive(filePath()))
            setError(::archiveError(ArchiveErrorCode::SplitZip));
        else if (MiniZipFile::isCutShort(filePath()))
            setError(::archiveError(ArchiveErrorCode::CutShort));
        else if (!MiniZipFile::isEmptyArchive(filePath()))
            errorFailedOpenFile();
        return false;
    }
    if (!zip_.goToFirstFile()) {
        if (!zip_.hasNoEntries())
            errorFailedOpenFirstFile();
        closeArchive();
        return false;
    }
    return true;
}

void ZipReader::closeArchive() {
    QMutexLocker locker(&closeLock_);
    zip_.close();
    decoder_.reset();
}

ZipReader::Walk ZipReader::walkEntries(const std::function<bool(const ZipEntryInfo &)> &visit) {
    do {
        if (isCurrentThreadCancelled())
            return Walk::Cancelled;
        const auto info = zip_.currentInfo();
        if (!info)
            return Walk::Unreadable;
        if (!visit(*info))
            return Walk::Stopped;
    } while (zip_.goToNextFile());
    return zip_.brokeOff() ? Walk::Unreadable : Walk::Finished;
}

void ZipReader::recordWalkError(Walk walk) {
    if (walk == Walk::Cancelled)
        setCancelled();
    else if (walk == Walk::Unreadable && !archiveError())
        errorArchive();
}

std::optional<QString> ZipReader::entryPath(const ZipEntryInfo &info) const {
    std::optional<QString> path;
    if (fileEncoding() == kAutomaticEncoding)
        path = info.declaredUtf8Name();
    if (!path)
        path = decodeName(info.rawName.constData(), info.rawName.size());
    if (path)
        path->replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

std::optional<QString> ZipReader::decodeLinkTarget(const QByteArray &bytes,
                                                   const ZipEntryInfo &info) const {
    if (fileEncoding() == kAutomaticEncoding && info.hasUtf8Name()) {
        if (auto text =
                StringEncodings::decode(bytes.constData(), bytes.size(), kUTF8StringEncoding))
            return text;
    }
    return decodeName(bytes.constData(), bytes.size());
}

std::optional<QString> ZipReader::listedPath(const ZipEntryInfo &info) const {
    const auto path = entryPath(info);
    // A name no encoding can decode still shows, as a node without a name.
    if (!path)
        return QString();
    const QString clean = SafePath::sanitize(*path);
    if (clean.isEmpty())
        return std::nullopt;
    return info.isFolderName() ? clean + QLatin1Char('/') : clean;
}

std::optional<QString> ZipReader::pathOfEntry(const ZipEntryInfo &info,
                                              UniqueEntryPaths &paths) const {
    const auto path = listedPath(info);
    if (!path || isIgnored(*path))
        return std::nullopt;
    return info.isFolderName() ? *path : paths.claim(*path);
}

QString ZipReader::readLinkTarget(const ZipEntryInfo &info) {
    // Encrypted links need the password, which listing does not ask for.
    if (info.fileType() != ZipFileType::SymbolicLink || !info.isMiniZipReadable() ||
        !zip_.openCurrentFile(info))
        return QString();
    const auto data = readShortData(zip_, kLinkTargetLimit);
    const bool checked = zip_.finishData();
    const auto target = data && checked ? decodeLinkTarget(*data, info) : std::nullopt;
    return target.value_or(QString());
}

void ZipReader::detectNameEncoding() {
    if (!openArchive())
        return;
    qsizetype names = 0;
    qsizetype fromDosOrWindows = 0;
    recordWalkError(walkEntries([&](const ZipEntryInfo &info) {
        if (info.declaredUtf8Name())
            return true;
        ++names;
        fromDosOrWindows += info.nameHostSystem() == NameHostSystem::DosOrWindows;
        return collectName(info.rawName.constData(), info.rawName.size());
    }));
    closeArchive();
    // An archive made on Windows and later updated elsewhere still holds OEM names.
    detectCollectedNames(fromDosOrWindows * 2 > names ? NameHostSystem::DosOrWindows
                                                      : NameHostSystem::Other);
}

void ZipReader::listEntries() {
    detectNameEncoding();
    if (!openArchive())
        return;
    UniqueEntryPaths paths(rootEntry());
    recordWalkError(walkEntries([&](const ZipEntryInfo &info) {
        if (const auto path = pathOfEntry(info, paths)) {
            ArchiveEntry::Fields fields = fieldsOf(info);
            fields.linkTarget = readLinkTarget(info);
            if (!ArchiveEntry::addToRoot(std::make_unique<ArchiveEntry>(*path, fields),
                                         rootEntry()) &&
                !info.isFolderName())
                paths.keep(*path);
        }
        return true;
    }));
    closeArchive();
}

bool ZipReader::isEncrypted() {
    if (passwordChecked_)
        return containsPassword_;
    if (!openArchive())
        return false;
    bool found = false;
    const Walk walk = walkEntries([&found](const ZipEntryInfo &info) {
        found = info.isEncrypted();
        return !found;
    });
    closeArchive();
    // A cancelled or failed check is no answer; the next call looks again.
    if (found || walk == Walk::Finished) {
        containsPassword_ = found;
        passwordChecked_ = true;
    }
    return found;
}

void ZipReader::extract(const QString &destination) {
    if (!openArchive())
        return;
    FileOps::createFolder(destination);
    FolderDates dates;
    ZipParallelExtractor parallel(filePath(), destination, restoresDates());
    // Reports stop at a cancel, as they do when one thread writes.
    const ZipParallelExtractor::Tick tick = [this](quint64 written) {
        bool goOn = !isCurrentThreadCancelled();
        reportInSteps(written, ZipEntryFileWriter::kProgressStep, [&](quint64 bytes) {
            if (goOn) {
                addProgress(bytes);
                goOn = !isCurrentThreadCancelled();
            }
        });
        return goOn;
    };
    quint64 order = 0;
    UniqueEntryPaths paths;
    const Walk walk = walkEntries([&](const ZipEntryInfo &info) {
        const auto path = pathOfEntry(info, paths);
        return !path || extractEntry(info, SafePath::join(destination, *path), destination, dates,
                                     {parallel, tick, order++});
    });
    finishParallel(parallel, tick);
    if (parallel.isCancelled())
        setCancelled();
    else
        recordWalkError(walk);
    closeArchive();
    applyFolderDates(dates);
}

bool ZipReader::extractEntry(const ZipEntryInfo &info, const QString &fullPath,
                             const QString &destination, FolderDates &dates,
                             const ParallelStep &step) {
    if (info.isFolderName()) {
        step.parallel.prepareFolder(fullPath, step.tick);
        makeFolder(destination, fullPath, info.date(), dates);
        return true;
    }
    if (needsMissingPassword(info, SafePath::below(destination, fullPath)))
        return true;
    if (info.isMiniZipReadable() && info.fileType() == ZipFileType::Regular)
        return step.parallel.submit({info, fullPath, step.order}, step.tick);
    // Links and entries only libarchive decodes are written here, after everything before them.
    finishParallel(step.parallel, step.tick);
    return !step.parallel.isCancelled() && extractFile(destination, fullPath, info);
}

void ZipReader::finishParallel(ZipParallelExtractor &parallel,
                               const ZipParallelExtractor::Tick &tick) {
    parallel.drain(tick);
    // The last failure in archive order is the one a serial walk would leave.
    std::optional<ZipParallelExtractor::Failure> last;
    for (const auto &failure : parallel.takeFailures()) {
        if (failure.error.domain == kArchiveErrorDomain &&
            failure.error.code == int(ArchiveErrorCode::NameTooLong))
            writeFailed(failure.error, failure.name);
        else if (!last || failure.order > last->order)
            last = failure;
    }
    if (last && last->unreadable)
        errorArchive();
    else if (last)
        setError(last->error);
}

void ZipReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        extract(destination);
        return;
    }
    if (!openArchive())
        return;
    FileOps::createFolder(destination);
    FolderDates dates;
    extractNode(entry, destination, PathUtil::parentFolder(entry->path()), dates);
    closeArchive();
    applyFolderDates(dates);
}

bool ZipReader::extractNode(const ArchiveEntry *node, const QString &destination,
                            const QString &relativePath, FolderDates &dates) {
    const QString fullPath =
        SafePath::join(destination, ReaderPaths::relativeTo(relativePath, node->path()));
    if (node->isLeaf())
        return extractNodeFile(node, destination, fullPath);
    makeFolder(destination, fullPath, node->date(), dates);
    for (const auto &child : node->children()) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return true;
        }
        if (!extractNode(child.get(), destination, relativePath, dates)) {
            errorArchive();
            return false;
        }
    }
    return true;
}

bool ZipReader::extractNodeFile(const ArchiveEntry *node, const QString &destination,
                                const QString &fullPath) {
    const EntryLocation position = node->location();
    std::optional<ZipEntryInfo> info;
    if (zip_.goToPosition({position.offset, position.index}))
        info = zip_.currentInfo();
    if (!info) {
        errorArchive();
        return false;
    }
    return extractFile(destination, fullPath, *info);
}

bool ZipReader::extractFile(const QString &destination, const QString &fullPath,
                            const ZipEntryInfo &info) {
    if (needsMissingPassword(info, SafePath::below(destination, fullPath)))
        return true;
    if (const auto method = info.unsupportedMethod()) {
        setError(::archiveError(ArchiveErrorCode::UnsupportedMethod, *method));
        return false;
    }
    ZipEntryStream *stream = openStream(info);
    if (!stream) {
        errorArchive();
        return false;
    }
    if (info.fileType() == ZipFileType::SymbolicLink)
        writeLink(destination, fullPath, info, *stream);
    else
        writeFile(destination, fullPath, info, *stream);
    return true;
}

ZipEntryStream *ZipReader::openStream(const ZipEntryInfo &info) {
    if (info.isMiniZipReadable())
        return zip_.openCurrentFile(info) ? &zip_ : nullptr;
    if (!decoder_)
        decoder_ = std::make_unique<ZipLibarchiveDecoder>(filePath(), password());
    if (!decoder_->openEntry({info.position.index, info.uncompressedSize, info.crc}))
        return nullptr;
    return decoder_.get();
}

void ZipReader::writeFile(const QString &destination, const QString &fullPath,
                          const ZipEntryInfo &info, ZipEntryStream &stream) {
    if (!fileWriter_ || fileWriterDates_ != restoresDates()) {
        fileWriter_ = std::make_unique<ZipEntryFileWriter>(
            isCurrentThreadCancelled, [this](quint64 bytes) { addProgress(bytes); },
            restoresDates());
        fileWriterDates_ = restoresDates();
    }
    switch (fileWriter_->write(stream, destination, fullPath, info)) {
    case ZipEntryFileWriter::Result::Written:
        break;
    case ZipEntryFileWriter::Result::Failed:
        writeFailed(fileWriter_->lastError(), SafePath::below(destination, fullPath));
        break;
    case ZipEntryFileWriter::Result::Cancelled:
        setCancelled();
        break;
    }
}

void ZipReader::writeLink(const QString &destination, const QString &fullPath,
                          const ZipEntryInfo &info, ZipEntryStream &stream) {
    const QString name = PathUtil::fileName(fullPath);
    const auto data = readShortData(stream, kLinkTargetLimit);
    const bool checked = stream.finishData();
    // A link without a target is nothing to make.
    if (data && data->isEmpty() && checked)
        return;
    const auto target = data && checked ? decodeLinkTarget(*data, info) : std::nullopt;
    // libarchive hands out an AES-encrypted link's target undecrypted: the link is left out, the
    // rest of the archive goes on.
    if (!target && info.isEncrypted() && !info.isMiniZipReadable()) {
        addWarning(ArchiveWarning::Kind::EncryptedLinkLeftOut,
                   SafePath::below(destination, fullPath));
        return;
    }
    if (!target) {
        errorFailedToCreateFile(name);
        return;
    }
    createLink(destination, fullPath, *target, info.date());
}

void ZipReader::makeFolder(const QString &destination, const QString &fullPath,
                           const std::optional<QDateTime> &date, FolderDates &dates) {
    if (!SafePath::makeFolders(destination, fullPath)) {
        errorFailedToCreateFile(PathUtil::fileName(fullPath));
        return;
    }
    if (restoresDates() && date)
        dates.append({fullPath, *date});
}

void ZipReader::applyFolderDates(const FolderDates &dates) {
    for (const auto &[path, date] : dates)
        FileAttributes::setModifiedDate(date, path);
}

bool ZipReader::needsMissingPassword(const ZipEntryInfo &info, const QString &name) {
    if (!info.isEncrypted() || !password().isEmpty() || info.uncompressedSize == 0)
        return false;
    setError(::archiveError(ArchiveErrorCode::MissingPassword, name));
    return true;
}
