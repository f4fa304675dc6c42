#include "archive/ArchiveError.h"

#include "util/Localization.h"

Error archiveError(ArchiveErrorCode code, const QString &name) {
    QString message;
    switch (code) {
    case ArchiveErrorCode::FailedOpenFile:
        message = engineText("Failed to open archive file");
        break;
    case ArchiveErrorCode::FailedOpenFirstFile:
        message = engineText("Failed to open first file in archive file");
        break;
    case ArchiveErrorCode::Parameter:
        message = engineText("Parameter error");
        break;
    case ArchiveErrorCode::Archive:
        message = engineText("Archive issues");
        break;
    case ArchiveErrorCode::FailedToCreateFile:
        message = QStringLiteral("%1 %2").arg(engineText("Failed to create file"), name);
        break;
    case ArchiveErrorCode::Cancelled:
        message = engineText("The operation is canceled");
        break;
    }
    return Error{kArchiveErrorDomain, int(code), message};
}

Error notAnArchiveError() {
    return Error{kArchiveErrorDomain, int(ArchiveErrorCode::FailedOpenFile),
                 engineText("The file is not an archive")};
}

Error cutShortError() {
    return Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive),
                 engineText("The archive is cut short")};
}

Error missingVolumeError(const QString &name) {
    return Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive),
                 engineText("The volume %1 is missing").arg(name)};
}

Error splitZipError() {
    return Error{kArchiveErrorDomain, int(ArchiveErrorCode::FailedOpenFile),
                 engineText("Split zip archives are not supported; join them with zip -s 0 first")};
}
