#include "archive/ReaderBase.h"

#include "archive/ArchiveEntry.h"
#include "archive/SafePath.h"
#include "encoding/CharsetDetector.h"
#include "encoding/EncodingUtil.h"
#include "util/PathUtil.h"
#include "util/ProgressReceiver.h"

#include <QTimeZone>

#include <cerrno>

namespace {

// Detection looks at the names of the first mebibyte at most.
constexpr qsizetype kDetectionLimit = 1048576;

} // namespace

ReaderBase::ReaderBase(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
                       const QString &password, StringEncoding fileEncoding)
    : rootEntry_(rootEntry)
    , password_(password)
    , filePath_(filePath)
    , encoding_(EncodingUtil::encodingForName(QStringLiteral("utf-8")))
    , fileEncoding_(fileEncoding)
    , progressReceiver_(action) {
}

ReaderBase::~ReaderBase() = default;

void ReaderBase::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry)
        extract(destination);
}

void ReaderBase::initialize() {
    epoch_ = dosEpoch();
}

bool ReaderBase::isIgnored(const QString &path) {
    const QString name = PathUtil::fileName(path);
    return name == QLatin1String(".DS_Store") || name == QLatin1String("Thumbs.db") ||
           path.contains(QLatin1String("__MACOSX/"));
}

QDateTime ReaderBase::dosEpoch() {
    return QDateTime(QDate(1980, 1, 1), QTime(0, 0, 0), QTimeZone::systemTimeZone());
}

QDateTime ReaderBase::unixEpoch() {
    return QDateTime(QDate(1970, 1, 1), QTime(0, 0, 0), QTimeZone::utc());
}

std::optional<QDateTime> ReaderBase::dateFromSeconds(qint64 seconds) const {
    if (seconds == 0 || !epoch_)
        return std::nullopt;
    return epoch_->addSecs(seconds);
}

bool ReaderBase::collectName(const char *bytes, qsizetype length) {
    if (!encodingData_)
        return false;
    if (bytes && length > 0) {
        encodingData_->append(QByteArray(bytes, length));
        collectedBytes_ += length;
    }
    return collectedBytes_ <= kDetectionLimit;
}

void ReaderBase::detectCollectedNames(NameHostSystem host) {
    if (!encodingData_ || encodingData_->isEmpty())
        return;
    if (const auto detected = NameEncodingDetector::detectCharset(*encodingData_, host)) {
        encodingName_ = *detected;
        encoding_ = EncodingUtil::encodingForName(encodingName_);
    }
    encodingData_.reset();
}

void ReaderBase::copyNameEncoding(const ReaderBase &other) {
    encodingName_ = other.encodingName_;
    encoding_ = other.encoding_;
    encodingData_.reset();
}

static std::optional<QString> decodeWith(const char *bytes, qsizetype length,
                                         StringEncoding encoding) {
    if (length == 0)
        return QStringLiteral("");
    if (bytes[length - 1] == '\0')
        length = qsizetype(qstrnlen(bytes, size_t(length)));
    return StringEncodings::decode(bytes, length, encoding);
}

std::optional<QString> ReaderBase::decodeName(const char *bytes, qsizetype length) const {
    if (fileEncoding_ != kAutomaticEncoding) {
        if (auto text = decodeWith(bytes, length, fileEncoding_))
            return text;
    }
    if (auto text = decodeWith(bytes, length, encoding_))
        return text;
    return CharsetDetector::decodeCString(bytes, length);
}

void ReaderBase::addProgress(quint64 bytes) {
    progress_.addDone(bytes, progressReceiver_);
}

void ReaderBase::errorFailedOpenFile() {
    error_ = ::archiveError(ArchiveErrorCode::FailedOpenFile);
}

void ReaderBase::errorFailedOpenFirstFile() {
    error_ = ::archiveError(ArchiveErrorCode::FailedOpenFirstFile);
}

void ReaderBase::errorParameter() {
    error_ = ::archiveError(ArchiveErrorCode::Parameter);
}

void ReaderBase::errorArchive() {
    error_ = ::archiveError(ArchiveErrorCode::Archive);
}

void ReaderBase::errorFailedToCreateFile(const QString &name) {
    // Called right after the failing call, so errno still tells the cause.
    writeFailed(writeError(errno, name), name);
}

void ReaderBase::writeFailed(const Error &error, const QString &name) {
    if (error.domain == kArchiveErrorDomain && error.code == int(ArchiveErrorCode::NameTooLong))
        addWarning(ArchiveWarning::Kind::NameTooLongLeftOut, name);
    else
        error_ = error;
}

void ReaderBase::createLink(const QString &destination, const QString &fullPath,
                            const QString &target, const std::optional<QDateTime> &date) {
    const QString name = SafePath::below(destination, fullPath);
    switch (
        output_.createLink(destination, fullPath, target, restoresDates() ? date : std::nullopt)) {
    case ExtractionOutput::LinkResult::Made:
        break;
    case ExtractionOutput::LinkResult::LeftOut:
        addWarning(ArchiveWarning::Kind::LinkLeftOut, name);
        break;
    case ExtractionOutput::LinkResult::Failed:
        errorFailedToCreateFile(name);
        break;
    }
}

void ReaderBase::setCancelled() {
    error_ = ::archiveError(ArchiveErrorCode::Cancelled);
}

namespace ReaderPaths {

QString relativeTo(const QString &base, const QString &path) {
    if (base.isEmpty())
        return path;
    return PathUtil::relativePath(path, base);
}

} // namespace ReaderPaths
