#pragma once

#include "encoding/NameEncodingDetector.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <sys/types.h>

// Where minizip finds an entry again: its offset in the central directory and its index there.
struct ZipEntryPosition {
    quint64 positionInDirectory = 0;
    quint64 index = 0;
};

// The kind of item an entry's Unix mode describes.
enum class ZipFileType { Regular, Directory, SymbolicLink };

// What the central directory says about one entry, and how its fields are read.
struct ZipEntryInfo {
    // "Version made by": the high byte names the system the entry was written on.
    quint16 versionMadeBy = 0;
    quint16 flag = 0;
    quint16 compressionMethod = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint32 externalAttributes = 0;
    // The stored local date as milliseconds since 1970 UTC; none when it is not a real date.
    std::optional<qint64> modifiedMSecs;
    // The name's bytes up to the first NUL.
    QByteArray rawName;
    // The central directory's extra field.
    QByteArray extraField;
    ZipEntryPosition position;
    // Some size or the local header's offset lies in the zip64 extra field, which minizip does
    // not read: libarchive decodes such entries.
    bool usesZip64 = false;

    // Takes the sizes minizip left at 0xFFFFFFFF from the zip64 extra field (0x0001), which holds
    // just the fields that did not fit, in a fixed order: uncompressed size, compressed size,
    // local header offset, first disk.
    void readZip64Field();
    bool isEncrypted() const { return flag & 0x0001; }
    // The language-encoding flag: name (and link target) are UTF-8.
    bool hasUtf8Name() const { return flag & 0x0800; }
    // DOS or Windows for MS-DOS/FAT (0), NTFS (10 as PKWARE numbers it, 11 as Info-ZIP does)
    // and VFAT (14), whose tools store names in the OEM code page.
    NameHostSystem nameHostSystem() const;
    // minizip decodes stored and deflated entries without encryption; libarchive the rest.
    bool isMiniZipReadable() const;
    bool isDeflated() const;
    // The name of a compression method no decoder here reads (Deflate64, IMPLODE...), or none
    // when the method is one that is read.
    std::optional<QString> unsupportedMethod() const;
    // The name the archive declares as UTF-8: the raw name when the language-encoding flag is
    // set, else an Info-ZIP Unicode Path field whose CRC matches the raw name. None when there
    // is none or its bytes are no valid UTF-8.
    std::optional<QString> declaredUtf8Name() const;
    // The Unix mode held in the high half of the external attributes.
    mode_t unixMode() const { return mode_t(externalAttributes >> 16); }
    ZipFileType fileType() const;
    // A folder entry's raw name ends in a separator.
    bool isFolderName() const;
    // The date in the system's zone.
    std::optional<QDateTime> date() const;
};
