#include "archive/ArchiveError.h"

#include "util/FileOps.h"
#include "util/Localization.h"
#include "util/StringUtil.h"

#include <cerrno>

Error archiveError(ArchiveErrorCode code, const QString &name) {
    const QString shown = StringUtil::shortened(name);
    QString message;
    switch (code) {
    case ArchiveErrorCode::FailedOpenFile:
        message = Engine::tr("Failed to open archive file");
        break;
    case ArchiveErrorCode::FailedOpenFirstFile:
        message = Engine::tr("Failed to open first file in archive file");
        break;
    case ArchiveErrorCode::Parameter:
        message = Engine::tr("Parameter error");
        break;
    case ArchiveErrorCode::Archive:
        message = Engine::tr("Archive issues");
        break;
    case ArchiveErrorCode::FailedToCreateFile:
        message = QStringLiteral("%1 %2").arg(Engine::tr("Failed to create file"), shown);
        break;
    case ArchiveErrorCode::WrongPassword:
        message = Engine::tr("Wrong password for %1").arg(shown);
        break;
    case ArchiveErrorCode::MissingPassword:
        message = Engine::tr("A password is needed for %1").arg(shown);
        break;
    case ArchiveErrorCode::Damaged:
        message = Engine::tr("%1 is damaged: its data does not match its checksum").arg(shown);
        break;
    case ArchiveErrorCode::UnsupportedMethod:
        message = Engine::tr("Compression method %1 is not supported").arg(shown);
        break;
    case ArchiveErrorCode::MissingVolume:
        message = Engine::tr("Volume %1 of the archive is missing").arg(shown);
        break;
    case ArchiveErrorCode::EncryptionUnsupported:
        message = Engine::tr("The archive is encrypted, which is not supported");
        break;
    case ArchiveErrorCode::DiskFull:
        message = Engine::tr("Not enough space on the disk to write %1").arg(shown);
        break;
    case ArchiveErrorCode::PermissionDenied:
        message = Engine::tr("Permission denied writing %1").arg(shown);
        break;
    case ArchiveErrorCode::NameTooLong:
        message = Engine::tr("The name of %1 is too long for the disk").arg(shown);
        break;
    case ArchiveErrorCode::NotAnArchive:
        message = Engine::tr("%1 is not an archive Kist can read").arg(shown);
        break;
    case ArchiveErrorCode::CutShort:
        message = Engine::tr("The archive is cut short");
        break;
    case ArchiveErrorCode::SplitZip:
        message = Engine::tr("Split zip archives are not supported; join them with zip -s 0 first");
        break;
    case ArchiveErrorCode::Cancelled:
        message = Engine::tr("The operation is canceled");
        break;
    }
    return Error{kArchiveErrorDomain, int(code), message};
}

Error writeError(int errnoValue, const QString &name) {
    if (FileOps::isOutOfSpace(errnoValue))
        return archiveError(ArchiveErrorCode::DiskFull, name);
    switch (errnoValue) {
    case EACCES:
    case EPERM:
    case EROFS:
        return archiveError(ArchiveErrorCode::PermissionDenied, name);
    case ENAMETOOLONG:
        return archiveError(ArchiveErrorCode::NameTooLong, name);
    default:
        return archiveError(ArchiveErrorCode::FailedToCreateFile, name);
    }
}

QString errorKind(const Error &error) {
    if (error.domain != kArchiveErrorDomain)
        return QStringLiteral("failed");
    switch (ArchiveErrorCode(error.code)) {
    case ArchiveErrorCode::FailedOpenFile:
    case ArchiveErrorCode::FailedOpenFirstFile:
        return QStringLiteral("cannot-open");
    case ArchiveErrorCode::Archive:
    case ArchiveErrorCode::Damaged:
        return QStringLiteral("damaged");
    case ArchiveErrorCode::FailedToCreateFile:
        return QStringLiteral("cannot-write");
    case ArchiveErrorCode::WrongPassword:
        return QStringLiteral("wrong-password");
    case ArchiveErrorCode::MissingPassword:
        return QStringLiteral("missing-password");
    case ArchiveErrorCode::UnsupportedMethod:
        return QStringLiteral("unsupported-method");
    case ArchiveErrorCode::MissingVolume:
        return QStringLiteral("missing-volume");
    case ArchiveErrorCode::EncryptionUnsupported:
        return QStringLiteral("encryption-unsupported");
    case ArchiveErrorCode::DiskFull:
        return QStringLiteral("disk-full");
    case ArchiveErrorCode::PermissionDenied:
        return QStringLiteral("permission-denied");
    case ArchiveErrorCode::NameTooLong:
        return QStringLiteral("name-too-long");
    case ArchiveErrorCode::NotAnArchive:
        return QStringLiteral("not-an-archive");
    case ArchiveErrorCode::CutShort:
        return QStringLiteral("cut-short");
    case ArchiveErrorCode::SplitZip:
        return QStringLiteral("split-zip");
    case ArchiveErrorCode::Cancelled:
        return QStringLiteral("cancelled");
    case ArchiveErrorCode::Parameter:
        break;
    }
    return QStringLiteral("failed");
}
