#include "archive/ArchiveError.h"

#include "util/Localization.h"

Error archiveError(ArchiveErrorCode code, const QString &name) {
    QString message;
    switch (code) {
    case ArchiveErrorCode::FailedOpenFile:
        message = BasicLocalizedString("Failed to open archive file");
        break;
    case ArchiveErrorCode::FailedOpenFirstFile:
        message = BasicLocalizedString("Failed to open first file in archive file");
        break;
    case ArchiveErrorCode::Parameter:
        message = BasicLocalizedString("Parameter error");
        break;
    case ArchiveErrorCode::Archive:
        message = BasicLocalizedString("Archive issues");
        break;
    case ArchiveErrorCode::FailedToCreateFile:
        message = QStringLiteral("%1 %2").arg(BasicLocalizedString("Failed to create file"), name);
        break;
    case ArchiveErrorCode::Cancelled:
        message = BasicLocalizedString("The operation is canceled");
        break;
    }
    return Error{kArchiveErrorDomain, int(code), message};
}
