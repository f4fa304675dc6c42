#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The archive formats Kist reads; the extension of a path picks one.
enum class ArchiveKind {
    Zip,
    Rar,
    GZip,
    Tar,
    BZip2,
    SevenZip,
    // One compressed file, or a compressed tar, decoded by libarchive's filters.
    Xz,
    Zstd,
    Lz4,
    Lzma,
    Lzip,
    Compress,
    // Archives of libarchive's readers.
    Iso9660,
    Cpio,
    Ar,
    Rpm,
    Cab,
    Lha,
};

// What a file is, told by its extension, case-insensitively; a multi-part extension ("tar.xz")
// wins over its last part. The table behind these is the
// only definition of the extensions: the document and the command-line tool choose their
// readers through archiveKind, the preview its text and picture views through isText and
// isPicture.
namespace FileKinds {

// The format that reads the path, or none when its extension names no archive.
std::optional<ArchiveKind> archiveKind(const QString &path);
// The short format name: "zip", "rar", "gzip", "tar", "bzip2", "7z", "xz", "iso9660" ...
QString kindName(ArchiveKind kind);
// Every extension that names an archive, lower-case, in a fixed order ("tar.xz" among them).
QStringList archiveExtensions();

bool isArchive(const QString &path);
bool isText(const QString &path);
bool isPicture(const QString &path);

} // namespace FileKinds
