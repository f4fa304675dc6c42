#include "archive/RarReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/FileWriteQueue.h"
#include "archive/ParallelWalk.h"
#include "archive/RarMainHeader.h"
#include "archive/RarVolumes.h"
#include "archive/SafePath.h"
#include "archive/UnrarApi.h"
#include "archive/Utf8CtypeScope.h"
#include "encoding/CharsetDetector.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileOps.h"
#include "util/PathUtil.h"
#include "util/StringUtil.h"
#include "util/ThreadPool.h"

#include <QFile>
#include <QFileInfo>
#include <QTimeZone>

#include <libdeflate.h>

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <sys/stat.h>
#include <vector>

using namespace Unrar;

namespace {

// Ends of a header walk besides the library's own results, which are never negative.
constexpr int kWalkStopped = -1;
constexpr int kWalkCancelled = -2;
// A file could not be written; the failure is recorded already.
constexpr int kWalkWriteFailed = -3;

// Header redirections (RAR 5).
constexpr unsigned int kRedirUnixLink = 1;
constexpr unsigned int kRedirWindowsLink = 2;
constexpr unsigned int kRedirJunction = 3;
constexpr unsigned int kRedirHardLink = 4;
constexpr unsigned int kRedirFileCopy = 5;

// Windows file times count 100 ns steps from 1601; Unix times start 11644473600 s later.
constexpr quint64 kFileTimeUnixStart = 116444736000000000ULL;

const QString kSlash = QStringLiteral("/");

// What creating a file costs against writing its bytes, when files are shared out.
constexpr quint64 kFileCost = 64 * 1024;

// Link kinds of the header's RedirType: Unix and Windows symbolic links.
constexpr unsigned int kUnixSymlink = 1;
constexpr unsigned int kWindowsSymlink = 2;

// The library turns header times into local time with localtime(), whose result is one buffer
// for the whole process: handles on several threads open archives and read headers one at a time.
std::mutex &headerLock() {
    static std::mutex lock;
    return lock;
}

quint64 combine(unsigned int low, unsigned int high) {
    return (quint64(high) << 32) | low;
}

// A RAR4 name stored without its Unicode form is bytes in the code page of the system that made
// the archive. The library converts it by the locale and, where that fails, marks the name with
// U+FFFE and maps each byte it could not convert to U+E000 + byte.
constexpr char16_t kMappedNameMark = 0xFFFE;
constexpr char16_t kMappedByteFirst = 0xE000;
constexpr char16_t kMappedByteLast = 0xE0FF;

QString libraryName(const RARHeaderDataEx &header) {
    const size_t wideLength = ::wcsnlen(header.FileNameW, std::size(header.FileNameW));
    return QString::fromWCharArray(header.FileNameW, qsizetype(wideLength));
}

// The stored bytes of a name the library mapped, so that detection and the user's choice of
// encoding decode it like a zip name.
QByteArray unmappedBytes(QStringView mapped) {
    QByteArray bytes;
    QString converted; // characters the locale did convert, kept whole for UTF-8
    for (const QChar c : mapped) {
        if (c.unicode() < kMappedByteFirst || c.unicode() > kMappedByteLast) {
            converted += c;
            continue;
        }
        bytes += converted.toUtf8();
        converted.clear();
        bytes += char(c.unicode() - kMappedByteFirst);
    }
    return bytes + converted.toUtf8();
}

RarEntryName nameOf(const RARHeaderDataEx &header) {
    const QString wide = libraryName(header);
    if (wide.startsWith(QChar(kMappedNameMark)))
        return {unmappedBytes(QStringView(wide).mid(1)), QString()};
    return {
        QByteArray(header.FileName, qsizetype(qstrnlen(header.FileName, sizeof header.FileName))),
        wide};
}

// The entry's name as the archive stores it, without leading or trailing "/".
QString trimmedName(const std::optional<QString> &name) {
    return StringUtil::trim(name.value_or(QString()), kSlash);
}

// A name ending in "", "." or ".." (past the "/" a folder's name may end in) names a folder, not
// an entry inside it: the destination itself for "" and "..". The library would write the header
// over that folder, making it private and dating it, or removing it when it is empty.
bool namesFolderItself(const RARHeaderDataEx &header) {
    // Mapping keeps the separators and dots, so the library's form tells.
    QString name = libraryName(header);
    if (header.Flags & RHDF_DIRECTORY)
        name = StringUtil::trimRight(name, kSlash);
    const QString last = name.section(kSlash, -1);
    return last.isEmpty() || last == QLatin1String(".") || last == QLatin1String("..");
}

} // namespace

RarReader::RarReader(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
                     const QString &password, StringEncoding fileEncoding)
    : ReaderBase(filePath, rootEntry, action, password, fileEncoding) {
}

RarReader::~RarReader() {
    closeArchive();
}

void RarReader::initialize() {
    containsPassword_ = false;
    setEpoch(std::nullopt);
}

bool RarReader::isVolume() const {
    return (archiveFlags_ & ROADF_VOLUME) != 0;
}

bool RarReader::openArchive(const QString &path, unsigned int mode) {
    clearError();
    closeArchive();
    // The library follows a set from its first volume only; any volume opens the whole set.
    const QString firstName = RarVolumes::firstVolumeName(path);
    const QString first = QFileInfo(firstName).isFile() ? firstName : path;
    arcName_ = QFile::encodeName(first);
    missingVolume_.clear();
    header_ = std::make_unique<RARHeaderDataEx>();
    // The library hands out a link's target only into a buffer of ours.
    redirName_.assign(kLinkTargetLimit, L'\0');
    header_->RedirName = redirName_.data();
    header_->RedirNameSize = unsigned(redirName_.size());
    flags_ = std::make_unique<RAROpenArchiveDataEx>();
    flags_->ArcName = arcName_.data();
    flags_->OpenMode = mode;
    if (RarMainHeader::hasEmptyArchiveName(first)) {
        errorArchive();
        closeArchive();
        return false;
    }
    {
        const std::lock_guard lock(headerLock());
        handle_ = RAROpenArchiveEx(flags_.get());
    }
    currentName_.clear();
    if (!handle_ || flags_->OpenResult != ERAR_SUCCESS) {
        if (flags_->OpenResult == ERAR_BAD_ARCHIVE || flags_->OpenResult == ERAR_UNKNOWN_FORMAT)
            setError(::archiveError(ArchiveErrorCode::NotAnArchive, PathUtil::fileName(path)));
        else
            errorFailedOpenFile();
        closeArchive();
        return false;
    }
    archiveFlags_ = flags_->Flags;
    // A later volume read on its own lists the files that start in it and fails on the first
    // that began before: the set is unreadable without its first volume.
    if (first != firstName && (archiveFlags_ & ROADF_VOLUME) &&
        !(archiveFlags_ & ROADF_FIRSTVOLUME)) {
        setError(::archiveError(ArchiveErrorCode::MissingVolume, PathUtil::fileName(firstName)));
        closeArchive();
        return false;
    }
    header_->CmtBuf = nullptr;
    RARSetCallback(handle_, libraryCallback, long(reinterpret_cast<quintptr>(this)));
    if (!password().isEmpty()) {
        QByteArray secret = password().toUtf8();
        RARSetPassword(handle_, secret.data());
    }
    resetProgressSize();
    return true;
}

void RarReader::closeArchive() {
    QMutexLocker locker(&closeLock_);
    if (handle_) {
        RARCloseArchive(handle_);
        handle_ = nullptr;
    }
    header_.reset();
    flags_.reset();
    arcName_.clear();
}

int RarReader::libraryCallback(unsigned int msg, long userData, long p1, long p2) {
    // The library hands the reader back as the integer it was registered with.
    auto *reader =
        reinterpret_cast<RarReader *>(quintptr(userData)); // NOLINT(performance-no-int-to-ptr)
    if (reader->isStopped())
        return CALLBACK_ABORT;
    switch (msg) {
    case UCM_NEEDPASSWORD:
    case UCM_NEEDPASSWORDW:
        reader->passwordChecked_ = true;
        reader->containsPassword_ = true;
        return CALLBACK_CONTINUE;
    case UCM_PROCESSDATA:
        if (!reader->receiveData(reinterpret_cast<const char *>(p1), qint64(p2)))
            return CALLBACK_ABORT;
        reader->countWritten(quint64(p2));
        return reader->reachesDataEnd(reinterpret_cast<const char *>(p1), qint64(p2))
                   ? CALLBACK_ABORT
                   : CALLBACK_CONTINUE;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        if (p2 != RAR_VOL_ASK)
            return CALLBACK_CONTINUE;
        // The library asks for a volume it cannot find; going on would make it ask forever.
        reader->missingVolume_ =
            msg == UCM_CHANGEVOLUMEW
                ? QString::fromWCharArray(reinterpret_cast<const wchar_t *>(p1))
                : QFile::decodeName(reinterpret_cast<const char *>(p1));
        return CALLBACK_ABORT;
    default:
        return CALLBACK_CONTINUE;
    }
}

int RarReader::walkHeaders(const std::function<int(const RARHeaderDataEx &)> &visit) {
    const auto readHeader = [this] {
        const std::lock_guard lock(headerLock());
        return RARReadHeaderEx(handle_, header_.get());
    };
    int result;
    while ((result = readHeader()) == ERAR_SUCCESS) {
        if (isStopped())
            return kWalkCancelled;
        result = visit(*header_);
        if (result != ERAR_SUCCESS)
            return result;
    }
    return result;
}

int RarReader::skipEntry() {
    return RARProcessFile(handle_, RAR_SKIP, nullptr, nullptr);
}

void RarReader::recordWalkEnd(int result) {
    if (result == ERAR_END_ARCHIVE || result == kWalkStopped || result == kWalkWriteFailed)
        return;
    // An abort from the callback after a cancellation comes back as a library failure.
    if (result == kWalkCancelled || isCancelled())
        setCancelled();
    else if (!missingVolume_.isEmpty())
        setError(
            ::archiveError(ArchiveErrorCode::MissingVolume, PathUtil::fileName(missingVolume_)));
    else if (result == ERAR_BAD_PASSWORD ||
             (result == ERAR_BAD_DATA && !password().isEmpty() && containsPassword_))
        setError(::archiveError(ArchiveErrorCode::WrongPassword, currentName_));
    else if (result == ERAR_MISSING_PASSWORD)
        setError(::archiveError(ArchiveErrorCode::MissingPassword, currentName_));
    else if (result == ERAR_BAD_DATA)
        setError(::archiveError(ArchiveErrorCode::Damaged, currentName_));
    else
        errorArchive();
}

void RarReader::detectNameEncoding() {
    detectCollectedNames();
}

std::optional<QString> RarReader::decodeName(const RARHeaderDataEx &entry) const {
    return decodeName(nameOf(entry));
}

std::optional<QString> RarReader::decodeName(const RarEntryName &name) const {
    if (fileEncoding() != kAutomaticEncoding) {
        if (auto text =
                StringEncodings::decode(name.bytes.constData(), name.bytes.size(), fileEncoding()))
            return text;
    }
    if (!name.wide.isEmpty())
        return name.wide;
    if (auto text = StringEncodings::decode(name.bytes.constData(), name.bytes.size(), encoding()))
        return text;
    auto text = CharsetDetector::decodeCString(name.bytes.constData(), name.bytes.size());
    if (text)
        text->replace(QLatin1Char('\\'), QLatin1Char('/'));
    return text;
}

QDateTime RarReader::dosDateTime(quint32 value) {
    return dosDateTime(value, QTimeZone::systemTimeZone());
}

QDateTime RarReader::dosDateTime(quint32 value, const QTimeZone &timeZone) {
    const int seconds =
        int((value >> 11) & 31) * 3600 + int((value >> 5) & 63) * 60 + int(value & 31) * 2;
    const QDate date = QDate(int(value >> 25) + 1980, 1, 1)
                           .addMonths(int((value >> 21) & 15) - 1)
                           .addDays(int((value >> 16) & 31) - 1 + seconds / 86400);
    return QDateTime(date, QTime(0, 0).addSecs(seconds % 86400), timeZone);
}

RarReader::ListedHeader RarReader::listedHeader(const RARHeaderDataEx &entry,
                                                const QTimeZone &localZone) {
    ListedHeader listed{nameOf(entry), {}, (entry.Flags & RHDF_DIRECTORY) != 0};
    listed.fields.CRC = entry.FileCRC;
    listed.fields.compressedSize = combine(entry.PackSize, entry.PackSizeHigh);
    listed.fields.uncompressedSize = combine(entry.UnpSize, entry.UnpSizeHigh);
    listed.fields.compressionType = quint16(entry.Flags & 0xFFFF);
    listed.fields.date = dosDateTime(entry.FileTime, localZone);
    listed.fields.encrypted = (entry.Flags & RHDF_ENCRYPTED) != 0;
    if ((entry.RedirType == kUnixSymlink || entry.RedirType == kWindowsSymlink) && entry.RedirName)
        listed.fields.linkTarget = QString::fromWCharArray(
            entry.RedirName, qsizetype(::wcsnlen(entry.RedirName, entry.RedirNameSize)));
    return listed;
}

std::unique_ptr<ArchiveEntry> RarReader::entryFromHeader(const ListedHeader &header) const {
    QString path = decodeName(header.name).value_or(QString());
    if (header.isFolder && !path.isEmpty() && !path.endsWith(kSlash))
        path += kSlash;
    return std::make_unique<ArchiveEntry>(path, header.fields);
}

void RarReader::listEntries() {
    const Utf8CtypeScope utf8;
    if (!openArchive(filePath(), RAR_OM_LIST_INCSPLIT))
        return;
    // Looking the zone up reads several files; every entry needs it.
    const QTimeZone localZone = QTimeZone::systemTimeZone();
    // Headers wait until the first names have told their encoding; later ones are added as
    // they are read, so a window shows a big archive while its walk goes on.
    std::vector<ListedHeader> waiting;
    bool detected = false;
    const auto detectAndAddWaiting = [&] {
        detectNameEncoding();
        detected = true;
        for (const ListedHeader &header : waiting)
            ArchiveEntry::addToRoot(entryFromHeader(header), rootEntry());
        waiting.clear();
    };
    const int result = walkHeaders([&](const RARHeaderDataEx &entry) {
        ListedHeader header = listedHeader(entry, localZone);
        if (detected) {
            ArchiveEntry::addToRoot(entryFromHeader(header), rootEntry());
        } else {
            const QByteArray &name = header.name.bytes;
            const bool wantsMore = collectName(name.constData(), name.size());
            waiting.push_back(std::move(header));
            if (!wantsMore)
                detectAndAddWaiting();
        }
        return skipEntry();
    });
    if (!detected)
        detectAndAddWaiting();
    // Encrypted headers without the password: the library asked for it, which marks the archive.
    if (result != ERAR_MISSING_PASSWORD)
        recordWalkEnd(result);
    closeArchive();
    if (containsPassword_)
        setHasEncryptedNames(true);
}

void RarReader::extract(const QString &destination) {
    const Utf8CtypeScope utf8;
    clearError();
    if (!openArchive(filePath(), RAR_OM_EXTRACT))
        return;
    FolderDates folders;
    extractOpened(destination, nullptr, folders);
    applyFolderDates(folders);
}

void RarReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        extract(destination);
        return;
    }
    const QString base =
        kSlash + StringUtil::trimLeft(PathUtil::parentFolder(entry->path()), kSlash);
    extractNode(entry, destination, base);
}

int RarReader::extractNode(ArchiveEntry *entry, const QString &destination,
                           const QString &relativePath) {
    const Utf8CtypeScope utf8;
    if (!openArchive(filePath(), RAR_OM_EXTRACT))
        return -1;
    QHash<QString, Target> files;
    FolderDates folders;
    collectTargets(entry, destination, relativePath, files, folders);
    extractOpened(destination, &files, folders);
    applyFolderDates(folders);
    return archiveError() ? -1 : 0;
}

void RarReader::collectTargets(const ArchiveEntry *node, const QString &destination,
                               const QString &relativePath, QHash<QString, Target> &files,
                               FolderDates &folders) {
    const QString fullPath =
        SafePath::join(destination, PathUtil::relativePath(node->path(), relativePath));
    if (node->isLeaf()) {
        files.insert(trimmedName(node->path()), Target{node, fullPath});
        return;
    }
    if (!SafePath::makeFolders(destination, fullPath))
        errorFailedToCreateFile(node->name());
    folders.append({fullPath, node->date()});
    for (const auto &child : node->children())
        collectTargets(child.get(), destination, relativePath, files, folders);
}

void RarReader::extractOpened(const QString &destination, QHash<QString, Target> *files,
                              FolderDates &folders) {
    // A solid archive is one stream: its entries decode in order only.
    const int workers = ThreadPool::shared().width();
    if (!(archiveFlags_ & ROADF_SOLID) && workers > 1 && (!files || files->size() > 1)) {
        closeArchive();
        extractInParallel(destination, files, folders, workers);
        return;
    }
    // One walk decodes everything: writing the files on a strand beside it hides the disk's time.
    FileWriteQueue writes(destination);
    writes_ = &writes;
    diskFull_ = false;
    const int result =
        files && files->isEmpty() ? kWalkStopped : walkPlanned(destination, files, folders);
    writes.drain();
    writes_ = nullptr;
    recordWalkEnd(result);
    closeArchive();
    // A name the archive does not hold (any more) cannot be made.
    if (files && result == ERAR_END_ARCHIVE) {
        for (auto it = files->cbegin(); it != files->cend(); ++it)
            errorFailedToCreateFile(PathUtil::fileName(it.key()));
    }
}

void RarReader::extractInParallel(const QString &destination, QHash<QString, Target> *files,
                                  FolderDates &folders, int workers) {
    ParallelWalk walk(workers);
    std::vector<std::unique_ptr<RarReader>> readers;
    std::vector<QHash<QString, Target>> fileSets(std::size_t(workers),
                                                 files ? *files : QHash<QString, Target>());
    std::vector<FolderDates> folderSets(static_cast<std::size_t>(workers));
    std::vector<int> results(std::size_t(workers), ERAR_SUCCESS);
    for (int worker = 0; worker < workers; ++worker) {
        auto reader = std::make_unique<RarReader>(filePath(), rootEntry(), nullptr, password(),
                                                  fileEncoding());
        reader->copyNameEncoding(*this);
        reader->setRestoresDates(restoresDates());
        reader->walk_ = &walk;
        reader->worker_ = worker;
        readers.push_back(std::move(reader));
    }
    const auto index = [](int worker) {
        return std::size_t(worker);
    };
    walk.run(
        [&](int worker) {
            results[index(worker)] = readers[index(worker)]->runWorker(
                destination, files ? &fileSets[index(worker)] : nullptr, folderSets[index(worker)]);
        },
        [this](quint64 written) {
            // Reports stop at a cancel, as they do in one walk.
            if (isCurrentThreadCancelled())
                return false;
            addProgress(written);
            return !isCurrentThreadCancelled();
        });

    // What one walk would have met: the outcomes up to the header where the first walk ended,
    // the last of them as the error.
    std::vector<Outcome> outcomes;
    for (const auto &reader : readers) {
        containsPassword_ = containsPassword_ || reader->containsPassword_;
        passwordChecked_ = passwordChecked_ || reader->passwordChecked_;
        for (const Outcome &outcome : reader->outcomes_)
            if (outcome.header <= walk.end())
                outcomes.push_back(outcome);
    }
    std::stable_sort(outcomes.begin(), outcomes.end(),
                     [](const Outcome &a, const Outcome &b) { return a.header < b.header; });
    for (const Outcome &outcome : outcomes) {
        if (outcome.error)
            setError(*outcome.error);
        for (const ArchiveWarning &warning : outcome.warnings)
            addWarning(warning.kind, warning.name);
    }
    for (const FolderDates &made : folderSets)
        folders.append(made);
    if (walk.isCancelled() || isCurrentThreadCancelled()) {
        setCancelled();
        return;
    }
    if (files && walk.end() == ParallelWalk::kNoEnd && results.front() == ERAR_END_ARCHIVE) {
        for (auto it = fileSets.front().cbegin(); it != fileSets.front().cend(); ++it)
            errorFailedToCreateFile(PathUtil::fileName(it.key()));
    }
}

int RarReader::runWorker(const QString &destination, QHash<QString, Target> *files,
                         FolderDates &folders) {
    const Utf8CtypeScope utf8;
    headerIndex_ = 0;
    int result = ERAR_EOPEN;
    if (openArchive(filePath(), RAR_OM_EXTRACT)) {
        result = walkPlanned(destination, files, folders);
        recordWalkEnd(result);
    }
    if (result != ERAR_END_ARCHIVE && result != kWalkStopped)
        walk_->endAt(headerIndex_);
    keepOutcome(headerIndex_);
    closeArchive();
    return result;
}

int RarReader::walkPlanned(const QString &destination, QHash<QString, Target> *files,
                           FolderDates &folders) {
    headerIndex_ = 0;
    loads_.assign(std::size_t(walk_ ? walk_->workers() : 1), 0);
    othersPaths_.clear();
    othersFolders_.clear();
    return walkHeaders([&](const RARHeaderDataEx &entry) {
        if (writes_) {
            writes_->collect();
            if (diskFull_)
                return kWalkWriteFailed;
        }
        // Skipping a file split over volumes leads to its next part, which comes as a header of
        // its own: no entry, and not counted, so that every worker counts the same entries.
        if (entry.Flags & RHDF_SPLITBEFORE)
            return skipEntry();
        const qint64 at = headerIndex_;
        if (walk_)
            walk_->reach(worker_, at);
        const Step step = plan(entry, destination, files);
        int result;
        if (ownerOf(step, entry) != worker_) {
            noteOthers(step);
            result = skipEntry();
        } else if (walk_ && mustWait(step, entry)) {
            othersPaths_.clear();
            othersFolders_.clear();
            result = walk_->waitForOthers(worker_, at) ? perform(step, entry, destination, folders)
                                                       : kWalkCancelled;
        } else {
            result = perform(step, entry, destination, folders);
        }
        if (walk_)
            keepOutcome(at);
        if (result != ERAR_SUCCESS)
            return result;
        ++headerIndex_;
        return step.last ? kWalkStopped : result;
    });
}

RarReader::Step RarReader::plan(const RARHeaderDataEx &entry, const QString &destination,
                                QHash<QString, Target> *files) const {
    if (files) {
        const QString name = trimmedName(decodeName(entry));
        if ((entry.Flags & RHDF_DIRECTORY) || !files->contains(name))
            return {};
        // The first entry of a name is the one extracted; a later one of the same name is
        // skipped.
        const Target target = files->take(name);
        return {Step::Kind::File, target.fullPath, {}, target.node->date(), files->isEmpty()};
    }
    const QString path = SafePath::sanitize(trimmedName(decodeName(entry)));
    if (namesFolderItself(entry) || path.isEmpty()) {
        // No file can be made at a folder's name.
        if (entry.Flags & RHDF_DIRECTORY)
            return {};
        return {Step::Kind::Unnamed, {}, PathUtil::fileName(trimmedName(decodeName(entry))), {}};
    }
    const Step::Kind kind = entry.Flags & RHDF_DIRECTORY ? Step::Kind::Folder : Step::Kind::File;
    return {kind, SafePath::join(destination, path), path, entryDate(entry)};
}

int RarReader::ownerOf(const Step &step, const RARHeaderDataEx &entry) {
    // Folders and names that fail are the first worker's: they cost nothing to extract.
    if (step.kind != Step::Kind::File || loads_.size() < 2)
        return 0;
    const auto least = std::min_element(loads_.begin(), loads_.end());
    *least += combine(entry.UnpSize, entry.UnpSizeHigh) + kFileCost;
    return int(least - loads_.begin());
}

void RarReader::noteOthers(const Step &step) {
    if (step.fullPath.isEmpty())
        return;
    othersPaths_.insert(step.fullPath);
    for (qsizetype end = step.fullPath.lastIndexOf(kSlash); end > 0;
         end = step.fullPath.lastIndexOf(kSlash, end - 1)) {
        const QString folder = step.fullPath.left(end);
        if (othersFolders_.contains(folder))
            break;
        othersFolders_.insert(folder);
    }
}

bool RarReader::mustWait(const Step &step, const RARHeaderDataEx &entry) const {
    if (entry.RedirType == kRedirHardLink || entry.RedirType == kRedirFileCopy)
        return true;
    if (step.fullPath.isEmpty() || othersPaths_.isEmpty())
        return false;
    if (othersPaths_.contains(step.fullPath) || othersFolders_.contains(step.fullPath))
        return true;
    for (qsizetype end = step.fullPath.lastIndexOf(kSlash); end > 0;
         end = step.fullPath.lastIndexOf(kSlash, end - 1)) {
        if (othersPaths_.contains(step.fullPath.left(end)))
            return true;
    }
    return false;
}

int RarReader::perform(const Step &step, const RARHeaderDataEx &entry, const QString &destination,
                       FolderDates &folders) {
    switch (step.kind) {
    case Step::Kind::Skip:
        break;
    case Step::Kind::Unnamed:
        errorFailedToCreateFile(step.name);
        break;
    case Step::Kind::Folder:
        if (writes_) {
            writes_->makeFolder(step.fullPath, [this, &folders, step](int error) {
                if (error == 0)
                    folders.append({step.fullPath, step.date});
                else
                    writeFailed(writeError(error, step.name), step.name);
            });
        } else if (output().makeFolders(destination, step.fullPath)) {
            folders.append({step.fullPath, step.date});
        } else {
            errorFailedToCreateFile(step.name);
        }
        break;
    case Step::Kind::File:
        return writeEntry(destination, step.fullPath, entry, step.date);
    }
    return skipEntry();
}

void RarReader::keepOutcome(qint64 header) {
    if (!archiveError() && warnings().isEmpty())
        return;
    outcomes_.push_back({header, archiveError(), warnings()});
    clearError();
}

bool RarReader::isCancelled() const {
    return walk_ ? walk_->isCancelled() : isCurrentThreadCancelled();
}

bool RarReader::isStopped() const {
    return isCancelled() || (walk_ && headerIndex_ > walk_->end());
}

void RarReader::countWritten(quint64 bytes) {
    if (walk_)
        walk_->countWritten(bytes);
    else
        addProgress(bytes);
}

int RarReader::writeEntry(const QString &destination, const QString &fullPath,
                          const RARHeaderDataEx &entry, const std::optional<QDateTime> &date) {
    const QString name = SafePath::below(destination, fullPath);
    currentName_ = name;
    if (entry.Flags & RHDF_ENCRYPTED)
        containsPassword_ = true;
    const mode_t stored = entry.HostOS == HOST_UNIX ? mode_t(entry.FileAttr) : 0;
    if (ExtractionOutput::isSpecialFile(stored)) {
        addWarning(ArchiveWarning::Kind::SpecialFileLeftOut, name);
        return skipEntry();
    }
    const bool isLink = entry.RedirType == kRedirUnixLink || entry.RedirType == kRedirWindowsLink ||
                        entry.RedirType == kRedirJunction || (stored & S_IFMT) == S_IFLNK;
    const bool copies = entry.RedirType == kRedirHardLink || entry.RedirType == kRedirFileCopy;
    if (writes_ && !isLink && !copies)
        return writeQueued(entry, fullPath, name, stored, date);
    // A link must not land before a file queued at its path; a copy reads a file written before.
    settleWrites();
    if (isLink) {
        int result = ERAR_SUCCESS;
        if (const auto target = linkTarget(entry, result))
            createLink(destination, fullPath, *target, date);
        else if (result == ERAR_SUCCESS)
            errorFailedToCreateFile(name);
        return result;
    }
    if (!output().create(destination, fullPath)) {
        errorFailedToCreateFile(name);
        return skipEntry();
    }
    int result;
    if (copies) {
        // A hard link or a copy becomes a copy of the file written before under the named path.
        writeFailed_ =
            !copyWritten(SafePath::join(destination, QString::fromWCharArray(redirName_.data())));
        result = skipEntry();
    } else {
        result = processData(DataSink::File, &entry);
    }
    if (result != ERAR_SUCCESS || writeFailed_) {
        // Damaged data, a wrong password or a cancellation: nothing may pass for a good file.
        output().discard();
        if (!writeFailed_)
            return result;
        errorFailedToCreateFile(name);
        return kWalkWriteFailed;
    }
    if (!output().finish(stored & 0777, restoresDates() ? date : std::nullopt))
        errorFailedToCreateFile(name);
    return result;
}

int RarReader::writeQueued(const RARHeaderDataEx &entry, const QString &fullPath,
                           const QString &name, mode_t stored,
                           const std::optional<QDateTime> &date) {
    writes_->open(fullPath);
    const int result = processData(DataSink::Queue, &entry);
    if (result != ERAR_SUCCESS) {
        // Damaged data, a wrong password or a cancellation: nothing may pass for a good file.
        writes_->discard();
        return result;
    }
    writes_->finish(stored & 0777, restoresDates() ? date : std::nullopt, [this, name](int error) {
        if (error == 0)
            return;
        writeFailed(writeError(error, name), name);
        diskFull_ = diskFull_ || FileOps::isOutOfSpace(error);
    });
    return result;
}

void RarReader::settleWrites() {
    if (writes_)
        writes_->drain();
}

int RarReader::processData(DataSink sink, const RARHeaderDataEx *entry) {
    sink_ = sink;
    writeFailed_ = false;
    linkData_.clear();
    if (entry && stopsAtDataEnd(*entry))
        dataCheck_ = DataCheck{combine(entry->UnpSize, entry->UnpSizeHigh), entry->FileCRC};
    int result = RARProcessFileW(handle_, RAR_TEST, nullptr, nullptr);
    if (dataCheck_ && dataCheck_->complete) {
        // Stopped by the callback after the last byte: the library neither checked the data nor
        // moved on to the next header.
        const bool intact = dataCheck_->crc == dataCheck_->expectedCrc;
        result = skipEntry();
        if (result == ERAR_SUCCESS && !intact)
            result = ERAR_BAD_DATA;
    }
    dataCheck_.reset();
    sink_ = DataSink::None;
    return result;
}

bool RarReader::stopsAtDataEnd(const RARHeaderDataEx &entry) const {
    // Older versions than 2.0 may keep a 16-bit checksum.
    constexpr unsigned int kFirstCrc32Version = 20;
    return !(archiveFlags_ & ROADF_SOLID) &&
           !(entry.Flags & (RHDF_ENCRYPTED | RHDF_SPLITBEFORE | RHDF_SPLITAFTER)) &&
           entry.HashType == RAR_HASH_CRC32 && entry.UnpVer >= kFirstCrc32Version &&
           combine(entry.UnpSize, entry.UnpSizeHigh) > 0;
}

bool RarReader::reachesDataEnd(const char *data, qint64 length) {
    if (!dataCheck_)
        return false;
    DataCheck &check = *dataCheck_;
    check.crc = quint32(libdeflate_crc32(check.crc, data, size_t(length)));
    check.received += quint64(length);
    check.complete = check.received == check.size;
    return check.complete;
}

std::optional<QString> RarReader::linkTarget(const RARHeaderDataEx &entry, int &result) {
    if (entry.RedirType != 0) {
        result = skipEntry();
        return QString::fromWCharArray(redirName_.data());
    }
    result = processData(DataSink::Link);
    if (result != ERAR_SUCCESS || writeFailed_)
        return std::nullopt;
    return QString::fromUtf8(linkData_);
}

bool RarReader::copyWritten(const QString &source) {
    QFile file(source);
    // Only a plain file this extraction wrote inside the destination is copied.
    const QByteArray native = QFile::encodeName(source);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(QIODevice::ReadOnly))
        return false;
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const qint64 got = file.read(buffer.data(), qint64(buffer.size()));
        if (got == 0)
            return true;
        if (got < 0 || !output().write(buffer.data(), got))
            return false;
    }
}

bool RarReader::receiveData(const char *data, qint64 length) {
    switch (sink_) {
    case DataSink::None:
        return true;
    case DataSink::File:
        writeFailed_ = !output().write(data, length);
        return !writeFailed_;
    case DataSink::Queue:
        writes_->write(data, length);
        return true;
    case DataSink::Link:
        linkData_.append(data, length);
        writeFailed_ = linkData_.size() > kLinkTargetLimit;
        return !writeFailed_;
    }
    return true;
}

void RarReader::applyFolderDates(const FolderDates &folders) const {
    if (!restoresDates())
        return;
    // Inner folders first: setting a date on an outer one is final only once nothing inside
    // changes any more.
    for (auto it = folders.crbegin(); it != folders.crend(); ++it)
        FileAttributes::setModifiedDate(it->second, it->first);
}

std::optional<QDateTime> RarReader::entryDate(const RARHeaderDataEx &entry) {
    const quint64 fileTime = combine(entry.MtimeLow, entry.MtimeHigh);
    if (fileTime > kFileTimeUnixStart)
        return QDateTime::fromMSecsSinceEpoch(qint64((fileTime - kFileTimeUnixStart) / 10000),
                                              QTimeZone::utc());
    return dosDateTime(entry.FileTime);
}

bool RarReader::isEncrypted() {
    if (passwordChecked_ || containsPassword_)
        return containsPassword_;
    const Utf8CtypeScope utf8;
    if (!openArchive(filePath(), RAR_OM_LIST))
        return false;
    const int result = walkHeaders([this](const RARHeaderDataEx &entry) {
        if ((entry.Flags & RHDF_ENCRYPTED) || containsPassword_) {
            containsPassword_ = true;
            return kWalkStopped;
        }
        return skipEntry();
    });
    // Encrypted headers end the walk with the library's password request, which is the answer.
    const bool answered = containsPassword_ || result == ERAR_END_ARCHIVE;
    if (!answered)
        recordWalkEnd(result);
    closeArchive();
    // A cancelled or failed check is no answer; the next call looks again.
    if (answered)
        passwordChecked_ = true;
    return containsPassword_;
}
