#pragma once

#include "archive/ReaderBase.h"
#include "util/FileKinds.h"

#include <QString>

#include <memory>

class ArchiveEntry;
class ProgressReceiver;

// The document's rules about an archive file, shared by the desktop document and kist-cli.
class ArchiveRules {
public:
    // The reader for the path's last extension, or none when it names no archive.
    static std::unique_ptr<ReaderBase> archive(const QString &filePath, ArchiveEntry *rootEntry,
                                               ProgressReceiver *action, const QString &password,
                                               StringEncoding fileEncoding);
    // The remembered name encoding of the archive, or kAutomaticEncoding to detect.
    static StringEncoding rememberedEncoding(const QString &filePath);
    // The folder name for an entry's extracted contents: its name, or for the root the archive's
    // name without its extensions ("photos.tar.gz" and "set.part1.rar" give "photos", "set").
    static QString extractedFolderName(const ArchiveEntry &entry, const QString &archivePath);
    // The base name of a new zip made from the item at the path ("report.txt" gives "report").
    static QString zipFileName(const QString &itemPath);
};
