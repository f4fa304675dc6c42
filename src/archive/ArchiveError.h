#pragma once

#include "util/Error.h"

// Error codes of the "ArchiveErrorDomain". Cancelled is never shown to the user.
enum class ArchiveErrorCode {
    FailedOpenFile = 1,
    FailedOpenFirstFile = 2,
    Parameter = 3,
    Archive = 4,
    FailedToCreateFile = 5,
    Cancelled = 100,
};

inline const QString kArchiveErrorDomain = QStringLiteral("ArchiveErrorDomain");

// The error of that code with its localized message; FailedToCreateFile names the file.
Error archiveError(ArchiveErrorCode code, const QString &name = QString());
// A file whose content is no archive Kist reads (code FailedOpenFile).
Error notAnArchiveError();
// Compressed data that ends before its stream does (code Archive).
Error cutShortError();
// A volume of a multi-volume set that is not there (code Archive).
Error missingVolumeError(const QString &name);
// A segment of a split zip archive, which Kist does not read (code FailedOpenFile).
Error splitZipError();
