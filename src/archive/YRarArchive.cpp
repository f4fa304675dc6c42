#include "archive/YRarArchive.h"

#include "archive/SafePath.h"
#include "archive/UnrarApi.h"
#include "archive/Utf8CtypeScope.h"
#include "archive/ZipEntry.h"
#include "encoding/DetectorCharacter.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"
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

// Detection reads names until it holds this many bytes.
constexpr qsizetype kDetectionLimit = 1048576;

const QString kSlash = QStringLiteral("/");

quint64 combine(unsigned int low, unsigned int high) {
    return (quint64(high) << 32) | low;
}

RarEntryName nameOf(const RARHeaderDataEx &header) {
    const size_t wideLength = ::wcsnlen(header.FileNameW, std::size(header.FileNameW));
    return {
        QByteArray(header.FileName, qsizetype(qstrnlen(header.FileName, sizeof header.FileName))),
        QString::fromWCharArray(header.FileNameW, qsizetype(wideLength))};
}

// The entry's name as the archive stores it, without leading or trailing "/".
QString trimmedName(const std::optional<QString> &name) {
    return CommononExtention::trim(name.value_or(QString()), kSlash);
}

// A name ending in "", "." or ".." (past the "/" a folder's name may end in) names a folder, not
// an entry inside it: the destination itself for "" and "..". The library would write the header
// over that folder, making it private and dating it, or removing it when it is empty.
bool namesFolderItself(const RARHeaderDataEx &header) {
    QString name = nameOf(header).wide;
    if (header.Flags & RHDF_DIRECTORY)
        name = CommononExtention::trimRight(name, kSlash);
    const QString last = name.section(kSlash, -1);
    return last.isEmpty() || last == QLatin1String(".") || last == QLatin1String("..");
}

} // namespace

YRarArchive::YRarArchive(const QString &filePath, ZipEntry *rootEntry, IActionProgress *action,
                         const QString &password, StringEncoding fileEncoding)
    : ArchiveBase(filePath, rootEntry, action, password, fileEncoding) {
}

YRarArchive::~YRarArchive() {
    closeArchive();
}

void YRarArchive::initParameter() {
    containsPassowrd_ = false;
    setRelativeDate(std::nullopt);
}

bool YRarArchive::isVolume() const {
    return (archiveFlags & ROADF_VOLUME) != 0;
}

bool YRarArchive::openArchive(const QString &path, unsigned int mode) {
    clearError();
    closeArchive();
    arcName = QFile::encodeName(path);
    header = std::make_unique<RARHeaderDataEx>();
    flags = std::make_unique<RAROpenArchiveDataEx>();
    flags->ArcName = arcName.data();
    flags->OpenMode = mode;
    _rarFile = RAROpenArchiveEx(flags.get());
    if (!_rarFile || flags->OpenResult != ERAR_SUCCESS) {
        errorFailedOpenFile();
        closeArchive();
        return false;
    }
    archiveFlags = flags->Flags;
    header->CmtBuf = nullptr;
    RARSetCallback(_rarFile, YRarCallback, long(reinterpret_cast<quintptr>(this)));
    if (!password().isEmpty()) {
        QByteArray secret = password().toUtf8();
        RARSetPassword(_rarFile, secret.data());
    }
    resetProgressSize();
    return true;
}

void YRarArchive::closeArchive() {
    QMutexLocker locker(&closeLock);
    if (_rarFile) {
        RARCloseArchive(_rarFile);
        _rarFile = nullptr;
    }
    header.reset();
    flags.reset();
    arcName.clear();
}

int YRarArchive::YRarCallback(unsigned int msg, long userData, long p1, long p2) {
    Q_UNUSED(p1);
    auto *reader = reinterpret_cast<YRarArchive *>(quintptr(userData));
    if (isCurrentThreadCancelled())
        return CALLBACK_ABORT;
    switch (msg) {
    case UCM_NEEDPASSWORD:
    case UCM_NEEDPASSWORDW:
        reader->isCheckContainsPassword = true;
        reader->containsPassowrd_ = true;
        return CALLBACK_CONTINUE;
    case UCM_PROCESSDATA:
        reader->addProgress(quint64(p2));
        return CALLBACK_CONTINUE;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        // The library asks for a volume it cannot find; going on would make it ask forever.
        return p2 == RAR_VOL_ASK ? CALLBACK_ABORT : CALLBACK_CONTINUE;
    default:
        return CALLBACK_CONTINUE;
    }
}

int YRarArchive::walkHeaders(const std::function<int(const RARHeaderDataEx &)> &visit) {
    int result;
    while ((result = RARReadHeaderEx(_rarFile, header.get())) == ERAR_SUCCESS) {
        if (isCurrentThreadCancelled())
            return kWalkCancelled;
        result = visit(*header);
        if (result != ERAR_SUCCESS)
            return result;
    }
    return result;
}

int YRarArchive::skipEntry() {
    return RARProcessFile(_rarFile, RAR_SKIP, nullptr, nullptr);
}

void YRarArchive::recordWalkEnd(int result) {
    if (result == ERAR_END_ARCHIVE || result == kWalkStopped)
        return;
    // An abort from the callback after a cancellation comes back as a library failure.
    if (result == kWalkCancelled || isCurrentThreadCancelled())
        errorCancelOpertion();
    else
        errorArchive();
}

void YRarArchive::detectorEncoding() {
    convertDetectorEncoding();
}

std::optional<QString> YRarArchive::charToNSString(const RARHeaderDataEx &entry) const {
    return charToNSString(nameOf(entry));
}

std::optional<QString> YRarArchive::charToNSString(const RarEntryName &name) const {
    if (fileEncoding() != kAutomaticEncoding) {
        if (auto text =
                StringEncodings::decode(name.bytes.constData(), name.bytes.size(), fileEncoding()))
            return text;
    }
    if (!name.wide.isEmpty())
        return name.wide;
    if (auto text = StringEncodings::decode(name.bytes.constData(), name.bytes.size(), encoding()))
        return text;
    auto text = DetectorCharacter::detectorForCChar(name.bytes.constData(), name.bytes.size());
    if (text)
        text->replace(QLatin1Char('\\'), QLatin1Char('/'));
    return text;
}

QDateTime YRarArchive::MSDOSDateTimeToNSDate(quint32 value) {
    return MSDOSDateTimeToNSDate(value, QTimeZone::systemTimeZone());
}

QDateTime YRarArchive::MSDOSDateTimeToNSDate(quint32 value, const QTimeZone &timeZone) {
    const int seconds =
        int((value >> 11) & 31) * 3600 + int((value >> 5) & 63) * 60 + int(value & 31) * 2;
    const QDate date = QDate(int(value >> 25) + 1980, 1, 1)
                           .addMonths(int((value >> 21) & 15) - 1)
                           .addDays(int((value >> 16) & 31) - 1 + seconds / 86400);
    return QDateTime(date, QTime(0, 0).addSecs(seconds % 86400), timeZone);
}

YRarArchive::ListedHeader YRarArchive::listedHeader(const RARHeaderDataEx &entry,
                                                    const QTimeZone &localZone) {
    ListedHeader listed{nameOf(entry), {}, (entry.Flags & RHDF_DIRECTORY) != 0};
    listed.fields.CRC = entry.FileCRC;
    listed.fields.compressedSize = combine(entry.PackSize, entry.PackSizeHigh);
    listed.fields.uncompressedSize = combine(entry.UnpSize, entry.UnpSizeHigh);
    listed.fields.compressionType = quint16(entry.Flags & 0xFFFF);
    listed.fields.date = MSDOSDateTimeToNSDate(entry.FileTime, localZone);
    return listed;
}

std::unique_ptr<ZipEntry> YRarArchive::entryFromHeader(const ListedHeader &header) const {
    QString path = charToNSString(header.name).value_or(QString());
    if (header.isFolder && !path.isEmpty() && !path.endsWith(kSlash))
        path += kSlash;
    return std::make_unique<ZipEntry>(path, header.fields);
}

void YRarArchive::listFiles() {
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
            appendDataToEncodingData(name.constData(), name.size());
            collected += name.size();
        }
        return skipEntry();
    });
    detectorEncoding();
    for (const ListedHeader &header : headers)
        ZipEntry::addToRootEntry(entryFromHeader(header), rootEntry());
    // Encrypted headers without the password: the library asked for it, which marks the archive.
    if (result != ERAR_MISSING_PASSWORD)
        recordWalkEnd(result);
    closeArchive();
    if (containsPassowrd_)
        setIsEncryptedFileName(true);
}

void YRarArchive::unArchivePath(const QString &destination) {
    const Utf8CtypeScope utf8;
    clearError();
    if (!openArchive(filePath(), RAR_OM_EXTRACT))
        return;
    std::wstring folder = destination.toStdWString();
    recordWalkEnd(walkHeaders([&](const RARHeaderDataEx &entry) {
        if (namesFolderItself(entry)) {
            // No file can be made at a folder's name.
            if (!(entry.Flags & RHDF_DIRECTORY))
                errorFailedToCreateFile(FileUtil::getFileName(trimmedName(charToNSString(entry))));
            return skipEntry();
        }
        return RARProcessFileW(_rarFile, RAR_EXTRACT, folder.data(), nullptr);
    }));
    closeArchive();
}

void YRarArchive::unArchivePath(ZipEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        unArchivePath(destination);
        return;
    }
    const QString base =
        kSlash + CommononExtention::trimLeft(FileUtil::getFileDirectory(entry->path()), kSlash);
    unArchiveAssignDetailPath(entry, destination, base);
}

int YRarArchive::unArchiveAssignDetailPath(ZipEntry *entry, const QString &destination,
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
            errorFailedToCreateFile(FileUtil::getFileName(it.key()));
    }
    if (isArchiveFileTime()) {
        for (auto it = folders.crbegin(); it != folders.crend(); ++it)
            FileUtil::setFileModifiedDate(it->second, it->first);
    }
    return archiveError() ? -1 : 0;
}

void YRarArchive::collectTargets(const ZipEntry *node, const QString &destination,
                                 const QString &relativePath, QHash<QString, Target> &files,
                                 FolderDates &folders) {
    const QString fullPath =
        SafePath::join(destination, FileUtil::getRelativePath(node->path(), relativePath));
    if (node->isLeaf()) {
        files.insert(trimmedName(node->path()), Target{node, fullPath});
        return;
    }
    if (!SafePath::makeFolders(destination, fullPath))
        errorFailedToCreateFile(node->name());
    folders.append({fullPath, node->date()});
    for (const auto &child : node->childEntries())
        collectTargets(child.get(), destination, relativePath, files, folders);
}

int YRarArchive::extractTarget(const RARHeaderDataEx &entry, const QString &destination,
                               QHash<QString, Target> &files) {
    const auto found = files.constFind(trimmedName(charToNSString(entry)));
    if ((entry.Flags & RHDF_DIRECTORY) || found == files.cend())
        return skipEntry();
    // The first entry of a name is the one extracted; a later one of the same name is skipped.
    const Target target = found.value();
    files.erase(found);
    const int result = unArchiveFile(destination, target);
    return result == ERAR_SUCCESS && files.isEmpty() ? kWalkStopped : result;
}

int YRarArchive::unArchiveFile(const QString &destination, const Target &target) {
    if (!SafePath::prepareFile(destination, target.fullPath)) {
        errorFailedToCreateFile(target.node->name());
        return skipEntry();
    }
    std::wstring fullPath = target.fullPath.toStdWString();
    const int result = RARProcessFileW(_rarFile, RAR_EXTRACT, nullptr, fullPath.data());
    if (result != ERAR_SUCCESS) {
        // Damaged data, a wrong password or a cancellation: nothing may pass for a good file.
        QFile::remove(target.fullPath);
        return result;
    }
    restoreAttributes(target.fullPath, *target.node);
    return result;
}

void YRarArchive::restoreAttributes(const QString &fullPath, const ZipEntry &item) const {
    struct stat st;
    // A link keeps its own mode; changing it would change the file it points to.
    if (::lstat(QFile::encodeName(fullPath).constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        const mode_t stored = header->HostOS == HOST_UNIX ? mode_t(header->FileAttr & 07777) : 0;
        FileUtil::setFilePermission(fullPath, stored);
    }
    if (isArchiveFileTime())
        FileUtil::setFileModifiedDate(item.date(), fullPath);
}

bool YRarArchive::isEncrypted() {
    if (isCheckContainsPassword || containsPassowrd_)
        return containsPassowrd_;
    const Utf8CtypeScope utf8;
    if (!openArchive(filePath(), RAR_OM_EXTRACT))
        return false;
    const int result = walkHeaders([this](const RARHeaderDataEx &entry) {
        if ((entry.Flags & RHDF_ENCRYPTED) || containsPassowrd_) {
            containsPassowrd_ = true;
            return kWalkStopped;
        }
        return skipEntry();
    });
    // Encrypted headers end the walk with the library's password request, which is the answer.
    const bool answered = containsPassowrd_ || result == ERAR_END_ARCHIVE;
    if (!answered)
        recordWalkEnd(result);
    closeArchive();
    // A cancelled or failed check is no answer; the next call looks again.
    if (answered) {
        isContainsPassword = containsPassowrd_;
        isCheckContainsPassword = true;
    }
    return containsPassowrd_;
}
