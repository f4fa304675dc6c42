#pragma once

#include "util/FileKinds.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Tells the format of an archive from its bytes, whatever its name says.
namespace ArchiveSniffer {

// The format the file's content shows: the signatures at the start (7z, RAR4/RAR5, gzip,
// bzip2, zip, xz, zstd, lz4, lzip, compress, ar, rpm, cab, cpio, LHA), a tar header whose
// checksum holds, an ISO 9660 volume descriptor at 32 KB, a bare LZMA stream's header, or a
// zip end record near the end (self-extractors, empty zips). When the content fits several, the
// named kind (from the extension) wins. None when the content is no archive Kist reads or the file
// cannot be read.
std::optional<ArchiveKind> kindOf(const QString &path, std::optional<ArchiveKind> named);

} // namespace ArchiveSniffer
