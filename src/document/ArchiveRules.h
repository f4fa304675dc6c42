#pragma once

#include "archive/ReaderBase.h"
#include "util/FileKinds.h"

#include <QString>

#include <memory>
#include <optional>

class ArchiveEntry;
class ProgressReceiver;

// The document's rules about an archive file, shared by the desktop document and kist-cli.
class ArchiveRules {
public:
    // The format that reads the path: 7z for a part of a 7z volume set ("x.7z.001"), else the
    // one its content shows, the extension breaking ties; none when the content is no archive.
    // A file that cannot be read gets its last extension's format.
    static std::optional<ArchiveKind> archiveKind(const QString &filePath);
    // The reader for the path's format, or none when it names no archive.
    static std::unique_ptr<ReaderBase> archive(const QString &filePath, ArchiveEntry *rootEntry,
                                               ProgressReceiver *action, const QString &password,
                                               StringEncoding fileEncoding);
    // The remembered name encoding of the archive, or kAutomaticEncoding to detect.
    static StringEncoding rememberedEncoding(const QString &filePath);
    // The folder name for an entry's extracted contents: its name, or for the root the archive's
    // name without its extensions ("photos.tar.gz", "set.part1.rar" and "set.7z.001" give
    // "photos", "set", "set").
    static QString extractedFolderName(const ArchiveEntry &entry, const QString &archivePath);
    // The base name of a new zip made from the item at the path ("report.txt" gives "report").
    static QString zipFileName(const QString &itemPath);
};
