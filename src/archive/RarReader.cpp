#include "archive/RarReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/RarMainHeader.h"
#include "archive/RarVolumes.h"
#include "archive/SafePath.h"
#include "archive/UnrarApi.h"
#include "archive/Utf8CtypeScope.h"
#include "encoding/CharsetDetector.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/PathUtil.h"
#include "util/StringUtil.h"

#include <QFile>
#include <QTimeZone>

#include <cwchar>
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

// Link targets longer than a path can be are damaged data, not links.
constexpr qsizetype kLinkTargetLimit = 4096;

// Windows file times count 100 ns steps from 1601; Unix times start 11644473600 s later.
constexpr quint64 kFileTimeUnixStart = 116444736000000000ULL;

// Detection reads names until it holds this many bytes.
constexpr qsizetype kDetectionLimit = 1048576;

const QString kSlash = QStringLiteral("/");

// Link kinds of the header's RedirType: Unix and Windows symbolic links.
constexpr unsigned int kUnixSymlink = 1;
constexpr unsigned int kWindowsSymlink = 2;

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
    const QString first = RarVolumes::firstVolume(path);
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
    handle_ = RAROpenArchiveEx(flags_.get());
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
    if (isCurrentThreadCancelled())
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
        reader->addProgress(quint64(p2));
        return CALLBACK_CONTINUE;
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
    int result;
    while ((result = RARReadHeaderEx(handle_, header_.get())) == ERAR_SUCCESS) {
        if (isCurrentThreadCancelled())
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
    if (result == kWalkCancelled || isCurrentThreadCancelled())
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
    // Names become paths once the names of the whole walk have told their encoding, so the
    // archive is read once.
    std::vector<ListedHeader> headers;
    qsizetype collected = 0;
    const int result = walkHeaders([&](const RARHeaderDataEx &entry) {
        headers.push_back(listedHeader(entry, localZone));
        const QByteArray &name = headers.back().name.bytes;
        if (collected <= kDetectionLimit) {
            collectName(name.constData(), name.size());
            collected += name.size();
        }
        return skipEntry();
    });
    detectNameEncoding();
    for (const ListedHeader &header : headers)
        ArchiveEntry::addToRoot(entryFromHeader(header), rootEntry());
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
    recordWalkEnd(walkHeaders([&](const RARHeaderDataEx &entry) {
        const QString path = SafePath::sanitize(trimmedName(decodeName(entry)));
        if (namesFolderItself(entry) || path.isEmpty()) {
            // No file can be made at a folder's name.
            if (!(entry.Flags & RHDF_DIRECTORY))
                errorFailedToCreateFile(PathUtil::fileName(trimmedName(decodeName(entry))));
            return skipEntry();
        }
        const QString fullPath = SafePath::join(destination, path);
        if (!(entry.Flags & RHDF_DIRECTORY))
            return writeEntry(destination, fullPath, entry, entryDate(entry));
        if (output().makeFolders(destination, fullPath))
            folders.append({fullPath, entryDate(entry)});
        else
            errorFailedToCreateFile(path);
        return skipEntry();
    }));
    closeArchive();
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
    const int result =
        files.isEmpty() ? kWalkStopped : walkHeaders([&](const RARHeaderDataEx &current) {
            return extractTarget(current, destination, files);
        });
    recordWalkEnd(result);
    closeArchive();
    // A name the archive does not hold (any more) cannot be made.
    if (result == ERAR_END_ARCHIVE) {
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            errorFailedToCreateFile(PathUtil::fileName(it.key()));
    }
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

int RarReader::extractTarget(const RARHeaderDataEx &entry, const QString &destination,
                             QHash<QString, Target> &files) {
    const QString name = trimmedName(decodeName(entry));
    if ((entry.Flags & RHDF_DIRECTORY) || !files.contains(name))
        return skipEntry();
    // The first entry of a name is the one extracted; a later one of the same name is skipped.
    const Target target = files.take(name);
    const int result = writeEntry(destination, target.fullPath, entry, target.node->date());
    return result == ERAR_SUCCESS && files.isEmpty() ? kWalkStopped : result;
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
    if (entry.RedirType == kRedirHardLink || entry.RedirType == kRedirFileCopy) {
        // A hard link or a copy becomes a copy of the file written before under the named path.
        writeFailed_ =
            !copyWritten(SafePath::join(destination, QString::fromWCharArray(redirName_.data())));
        result = skipEntry();
    } else {
        result = processData(DataSink::File);
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

int RarReader::processData(DataSink sink) {
    sink_ = sink;
    writeFailed_ = false;
    linkData_.clear();
    const int result = RARProcessFileW(handle_, RAR_TEST, nullptr, nullptr);
    sink_ = DataSink::None;
    return result;
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
