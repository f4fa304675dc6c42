#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <vector>

// What a 512-byte tar header record announces.
enum class TarRecordType {
    RegularFile,     // "0", or NUL
    HardLink,        // "1"
    SymbolicLink,    // "2"
    Folder,          // "5"
    LongName,        // "L": GNU, the next entry's name is the data
    LongLinkName,    // "K": GNU, the next entry's link target is the data
    PaxHeader,       // "x": pax keywords for the next entry
    PaxGlobalHeader, // "g": pax keywords for every following entry
    SpecialFile,     // "3", "4", "6": devices and FIFOs, never created
    Skipped,         // vendor records: nothing to create
    EmptyBlock,      // a NUL record with no name pending: padding at the archive's end
    Unknown,
};

// A span of a sparse file that holds data; the bytes between spans are holes.
struct TarSparseSegment {
    quint64 offset = 0;
    quint64 length = 0;

    bool operator==(const TarSparseSegment &) const = default;
};

// One header record, its fields decoded but not yet combined with long names or pax keywords.
struct TarHeader {
    TarRecordType type = TarRecordType::Unknown;
    char typeflag = 0;
    // The name, joined to the ustar prefix when the record has one; raw bytes up to the first NUL.
    QByteArray name;
    QByteArray linkName;
    quint32 mode = 0;
    quint64 size = 0;
    qint64 mtime = 0;
    // Old GNU sparse files ("S"): the spans the header lists, whether extension records with more
    // spans follow it, and the file's real size.
    std::vector<TarSparseSegment> sparseMap;
    bool sparseMapContinues = false;
    quint64 sparseRealSize = 0;
};

// The pax keywords the reader honours; every other keyword is ignored.
struct PaxAttributes {
    std::optional<QByteArray> path;
    std::optional<QByteArray> linkpath;
    std::optional<quint64> size;
    std::optional<qint64> mtime;
    // GNU's sparse files in pax form: "GNU.sparse.name", ".size"/".realsize", the map as
    // ".offset"/".numbytes" pairs (0.0) or ".map" (0.1), or at the start of the data (".major" 1).
    std::optional<QByteArray> sparseName;
    std::optional<quint64> sparseRealSize;
    std::optional<std::vector<TarSparseSegment>> sparseMap;
    bool sparseMapInData = false;

    // Keywords set in the other record replace ours.
    void merge(const PaxAttributes &other);
};

// Parsing of tar records, kept apart from any file access so it can be tested and fuzzed alone.
namespace TarHeaderParser {

inline constexpr qint64 kBlockSize = 512;

// Octal text at the field's start: leading blanks allowed, stops at the first non-octal byte or
// at the field's end (fields need not be NUL-terminated).
quint64 charToUnsignedLongLong(const char *field, qsizetype width);
// A numeric field in octal text or in GNU's base-256 form (first byte with the high bit set,
// 0xFF-led values negative). None when a base-256 value does not fit 64 bits.
std::optional<qint64> numericField(const char *field, qsizetype width);
// The data length rounded up to whole blocks.
quint64 paddedSize(quint64 size);

// The record in the block of kBlockSize bytes; none when its checksum does not match or its size
// or time cannot be read.
std::optional<TarHeader> parse(const char *block);

// The records "length keyword=value\n" of a pax header's data; none when a record is malformed.
std::optional<PaxAttributes> parsePax(const QByteArray &data);

// Appends the spans of an old GNU sparse extension record to map; none when a field cannot be
// read, else whether another extension record follows.
std::optional<bool> parseSparseExtension(const char *block, std::vector<TarSparseSegment> &map);
// The map GNU's sparse format 1.0 stores at the start of the data: decimal numbers, one per
// line, the count of spans and then each span's offset and length. Returns the map and how many
// bytes of text it took; none while text is incomplete or when it is malformed.
std::optional<std::pair<std::vector<TarSparseSegment>, qsizetype>>
parseSparseMapText(const QByteArray &text);
// True when the spans come in order, do not overlap, end within the file and hold exactly the
// stored bytes.
bool isValidSparseMap(const std::vector<TarSparseSegment> &map, quint64 storedSize,
                      quint64 realSize);

} // namespace TarHeaderParser
