#pragma once

#include <QString>

// Completes the end of a zip archive minizip has closed. minizip writes the entry count into
// the 16-bit field of the classic end record (65,535 once there are more) and adds no zip64 end
// record for it, so readers would see at most 65,535 entries.
namespace ZipEndRecord {

// Inserts the zip64 end record and its locator before the classic end record when that record
// says 65,535 entries and no locator precedes it. False when the file cannot be read or
// written, or its end is not the plain record minizip writes.
bool addZip64WhenNeeded(const QString &path);

} // namespace ZipEndRecord
