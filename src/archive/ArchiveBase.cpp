#include "archive/ArchiveBase.h"

#include "archive/ZipEntry.h"
#include "encoding/DetectorCharacter.h"
#include "encoding/EncodingUtil.h"
#include "util/FileUtil.h"
#include "util/IActionProgress.h"
#include "util/StringUtil.h"

#include <QTimeZone>

ArchiveBase::ArchiveBase(const QString &filePath, ZipEntry *rootEntry, IActionProgress *action,
                         const QString &password, StringEncoding fileEncoding)
    : rootEntry_(rootEntry)
    , password_(password)
    , filePath_(filePath)
    , encoding_(EncodingUtil::convertStringToNSStringEncoding(QStringLiteral("utf-8")))
    , fileEncoding_(fileEncoding)
    , actionDelegate_(action) {
}

ArchiveBase::~ArchiveBase() = default;

void ArchiveBase::unArchivePath(ZipEntry *entry, const QString &destination) {
    clearError();
    if (!entry)
        unArchivePath(destination);
}

void ArchiveBase::initParameter() {
    relativeDate_ = dateFor1980();
}

bool ArchiveBase::isIgnore(const QString &path) {
    const QString name = FileUtil::getFileName(path);
    return name == QLatin1String(".DS_Store") || name == QLatin1String("Thumbs.db") ||
           path.contains(QLatin1String("__MACOSX/"));
}

QString ArchiveBase::tempRootDirectory() {
    return FileUtil::tempBundleIdDirectory();
}

QString ArchiveBase::tempItemDirectory() {
    const QString folder = tempRootDirectory() + QLatin1Char('/') + StringUtil::stringWithUUID();
    FileUtil::createFolder(folder);
    return folder;
}

QDateTime ArchiveBase::dateFor1980() {
    return QDateTime(QDate(1980, 1, 1), QTime(0, 0, 0), QTimeZone::systemTimeZone());
}

QDateTime ArchiveBase::dateFor1970() {
    return QDateTime(QDate(1970, 1, 1), QTime(0, 0, 0), QTimeZone::utc());
}

std::optional<QDateTime> ArchiveBase::getDateWithInterval(qint64 seconds) const {
    if (seconds == 0 || !relativeDate_)
        return std::nullopt;
    return relativeDate_->addSecs(seconds);
}

void ArchiveBase::appendDataToEncodingData(const char *bytes, qsizetype length) {
    if (encodingData_ && bytes && length > 0)
        encodingData_->append(QByteArray(bytes, length));
}

void ArchiveBase::convertDetectorEncoding(NameHostSystem host) {
    if (!encodingData_ || encodingData_->isEmpty())
        return;
    if (const auto detected = NameEncodingDetector::detectCharset(*encodingData_, host)) {
        encodingName_ = *detected;
        encoding_ = EncodingUtil::convertStringToNSStringEncoding(encodingName_);
    }
    encodingData_.reset();
}

static std::optional<QString> decodeName(const char *bytes, qsizetype length,
                                         StringEncoding encoding) {
    if (length == 0)
        return QStringLiteral("");
    if (bytes[length - 1] == '\0')
        length = qsizetype(qstrnlen(bytes, size_t(length)));
    return StringEncodings::decode(bytes, length, encoding);
}

std::optional<QString> ArchiveBase::charToNSString(const char *bytes, qsizetype length) const {
    if (fileEncoding_ != kAutomaticEncoding) {
        if (auto text = decodeName(bytes, length, fileEncoding_))
            return text;
    }
    if (auto text = decodeName(bytes, length, encoding_))
        return text;
    return DetectorCharacter::detectorForCChar(bytes, length);
}

void ArchiveBase::addProgress(quint64 bytes) {
    progressSize_ += bytes;
    if (progressSize_ > kProgressThreshold) {
        if (actionDelegate_)
            actionDelegate_->progressFinished(progressSize_);
        progressSize_ = 0;
    }
}

void ArchiveBase::errorFailedOpenFile() {
    error_ = ::archiveError(ArchiveErrorCode::FailedOpenFile);
}

void ArchiveBase::errorFailedOpenFirstFile() {
    error_ = ::archiveError(ArchiveErrorCode::FailedOpenFirstFile);
}

void ArchiveBase::errorParameter() {
    error_ = ::archiveError(ArchiveErrorCode::Parameter);
}

void ArchiveBase::errorArchive() {
    error_ = ::archiveError(ArchiveErrorCode::Archive);
}

void ArchiveBase::errorFailedToCreateFile(const QString &name) {
    error_ = ::archiveError(ArchiveErrorCode::FailedToCreateFile, name);
}

void ArchiveBase::errorCancelOpertion() {
    error_ = ::archiveError(ArchiveErrorCode::Cancelled);
}

namespace ArchiveUtils {

QString getTempRelative(const QString &base, const QString &path) {
    if (base.isEmpty())
        return path;
    return FileUtil::getRelativePath(path, base);
}

} // namespace ArchiveUtils
