#pragma once

#include "util/Error.h"

// Error codes of the "ArchiveErrorDomain". Cancelled is never shown to the user.
enum class ArchiveErrorCode {
    FailedOpenFile = 1,
    FailedOpenFirstFile = 2,
    Parameter = 3,
    Archive = 4,
    FailedToCreateFile = 5,
    // Causes named to the user; the name is an entry's, a volume's or a method's.
    WrongPassword = 6,
    MissingPassword = 7,
    Damaged = 8,
    UnsupportedMethod = 9,
    MissingVolume = 10,
    EncryptionUnsupported = 11,
    DiskFull = 12,
    PermissionDenied = 13,
    NameTooLong = 14,
    NotAnArchive = 15,
    // Compressed data that ends before its stream does.
    CutShort = 16,
    // A segment of a split zip archive, which Kist does not read.
    SplitZip = 17,
    Cancelled = 100,
};

inline const QString kArchiveErrorDomain = QStringLiteral("ArchiveErrorDomain");

// The error of that code with its localized message, naming the entry, volume or method given.
Error archiveError(ArchiveErrorCode code, const QString &name = QString());
// The error for an item that could not be written, from the system's errno: a full disk, a
// refused permission or a name too long, else FailedToCreateFile.
Error writeError(int errnoValue, const QString &name);
// A short stable word for the error's cause ("wrong-password", "damaged", "disk-full"...), for
// scripts reading kist-cli --json; "failed" for anything else.
QString errorKind(const Error &error);
