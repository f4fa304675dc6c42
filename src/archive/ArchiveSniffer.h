#pragma once

#include "util/FileKinds.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Tells the format of an archive from its bytes, whatever its name says.
namespace ArchiveSniffer {

// The format the file's content shows: 7z, RAR4/RAR5, gzip, bzip2 and zip signatures at the
// start, a tar header whose checksum holds, or a zip end record near the end (self-extractors,
// empty zips). When the content fits several, the named kind (from the extension) wins. None
// when the content is no archive Kist reads or the file cannot be read.
std::optional<ArchiveKind> kindOf(const QString &path, std::optional<ArchiveKind> named);

} // namespace ArchiveSniffer
