#include "archive/TarHeaderParser.h"

#include <QList>

#include <cstring>
#include <limits>

namespace {

// Offsets and widths of the ustar header fields.
constexpr qsizetype kNameOffset = 0, kNameWidth = 100;
constexpr qsizetype kModeOffset = 100, kModeWidth = 8;
constexpr qsizetype kSizeOffset = 124, kSizeWidth = 12;
constexpr qsizetype kMtimeOffset = 136, kMtimeWidth = 12;
constexpr qsizetype kChecksumOffset = 148, kChecksumWidth = 8;
constexpr qsizetype kTypeflagOffset = 156;
constexpr qsizetype kLinkNameOffset = 157, kLinkNameWidth = 100;
constexpr qsizetype kMagicOffset = 257;
constexpr qsizetype kPrefixOffset = 345, kPrefixWidth = 155;
// Old GNU sparse headers: four spans at 386, a continuation flag and the real size after them;
// each extension record holds 21 more spans and its own flag.
constexpr qsizetype kSparseOffset = 386, kSparseSpans = 4;
constexpr qsizetype kSparseContinuesOffset = 482;
constexpr qsizetype kSparseRealSizeOffset = 483, kSparseRealSizeWidth = 12;
constexpr qsizetype kExtensionSpans = 21, kExtensionContinuesOffset = 504;
constexpr qsizetype kSpanFieldWidth = 12;
// POSIX ustar's magic with its NUL. GNU's own "ustar  " layout uses the prefix area for other
// fields, so only this magic announces a prefix.
constexpr char kPosixMagic[] = "ustar";

QByteArray textField(const char *block, qsizetype offset, qsizetype width) {
    return QByteArray(block + offset, qsizetype(qstrnlen(block + offset, size_t(width))));
}

TarRecordType classify(char typeflag) {
    switch (typeflag) {
    case '0':
    case '\0':
    case '7':
        // "7", a contiguous file, is a regular file everywhere tar runs.
        return TarRecordType::RegularFile;
    case '1':
        return TarRecordType::HardLink;
    case '2':
        return TarRecordType::SymbolicLink;
    case '5':
        return TarRecordType::Folder;
    case 'L':
        return TarRecordType::LongName;
    case 'K':
        return TarRecordType::LongLinkName;
    case 'x':
        return TarRecordType::PaxHeader;
    case 'g':
        return TarRecordType::PaxGlobalHeader;
    case 'S':
        // Old GNU sparse file: regular, with the map of its data in the header.
        return TarRecordType::RegularFile;
    case '3':
    case '4':
    case '6':
        return TarRecordType::SpecialFile;
    default:
        break;
    }
    if (typeflag >= 'A' && typeflag <= 'Z')
        return TarRecordType::Skipped;
    return TarRecordType::Unknown;
}

// GNU base-256: the field is a big-endian two's-complement number whose first byte carries the
// marker bit 0x80; 0x40 in that byte is the sign.
std::optional<qint64> base256Field(const unsigned char *field, qsizetype width) {
    const bool negative = (field[0] & 0x40) != 0;
    const unsigned char fill = negative ? 0xFF : 0x00;
    quint64 value = negative ? std::numeric_limits<quint64>::max() : 0;
    int significant = 0;
    for (qsizetype i = 0; i < width; ++i) {
        // The first byte's marker bit is not part of a positive value.
        const unsigned char byte = (i == 0 && !negative) ? (field[0] & 0x7F) : field[i];
        if (significant == 0 && byte == fill)
            continue;
        if (++significant > 8)
            return std::nullopt;
        value = (value << 8) | byte;
    }
    const auto result = qint64(value);
    if ((result < 0) != negative)
        return std::nullopt;
    return result;
}

// Appends the spans stored from at on; an empty offset field ends the list. False when a field
// cannot be read.
bool appendSpans(const char *at, qsizetype count, std::vector<TarSparseSegment> &map) {
    for (qsizetype i = 0; i < count; ++i, at += 2 * kSpanFieldWidth) {
        if (*at == '\0')
            break;
        const auto offset = TarHeaderParser::numericField(at, kSpanFieldWidth);
        const auto length = TarHeaderParser::numericField(at + kSpanFieldWidth, kSpanFieldWidth);
        if (!offset || !length || *offset < 0 || *length < 0)
            return false;
        map.push_back({quint64(*offset), quint64(*length)});
    }
    return true;
}

bool isDigits(const QByteArray &text) {
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// "seconds[.fraction]", possibly negative; the fraction is dropped.
std::optional<qint64> paxTime(const QByteArray &value) {
    const qsizetype dot = value.indexOf('.');
    const QByteArray whole = dot < 0 ? value : value.left(dot);
    const bool negative = whole.startsWith('-');
    if (!isDigits(negative ? whole.mid(1) : whole))
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = whole.toLongLong(&ok);
    return ok ? std::optional<qint64>(seconds) : std::nullopt;
}

std::optional<quint64> paxNumber(const QByteArray &value) {
    bool ok = false;
    const quint64 number = value.toULongLong(&ok);
    if (!isDigits(value) || !ok || number > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt;
    return number;
}

// "offset,length,offset,length..."
std::optional<std::vector<TarSparseSegment>> paxSparseMap(const QByteArray &value) {
    const QList<QByteArray> fields = value.split(',');
    if (fields.size() % 2 != 0)
        return std::nullopt;
    std::vector<TarSparseSegment> map;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const auto offset = paxNumber(fields[i]);
        const auto length = paxNumber(fields[i + 1]);
        if (!offset || !length)
            return std::nullopt;
        map.push_back({*offset, *length});
    }
    return map;
}

// The GNU.sparse.* keywords; false when one is malformed.
bool applySparseKeyword(const QByteArray &keyword, const QByteArray &value,
                        PaxAttributes &attributes) {
    if (keyword == "name") {
        attributes.sparseName = value;
        return true;
    }
    if (keyword == "map") {
        attributes.sparseMap = paxSparseMap(value);
        return attributes.sparseMap.has_value();
    }
    if (keyword != "size" && keyword != "realsize" && keyword != "offset" &&
        keyword != "numbytes" && keyword != "major")
        return true;
    const auto number = paxNumber(value);
    if (!number)
        return false;
    if (keyword == "major") {
        attributes.sparseMapInData = *number == 1;
        return true;
    }
    if (keyword == "size" || keyword == "realsize") {
        attributes.sparseRealSize = number;
        return true;
    }
    // Format 0.0 repeats the pair: an offset opens a span, the length that follows closes it.
    auto &map = attributes.sparseMap;
    if (!map)
        map.emplace();
    if (keyword == "offset") {
        map->push_back({*number, 0});
        return true;
    }
    if (map->empty())
        return false;
    map->back().length = *number;
    return true;
}

// Applies one "keyword=value" record; false when a keyword the reader relies on is malformed.
bool applyPaxRecord(const QByteArray &record, PaxAttributes &attributes) {
    const qsizetype equals = record.indexOf('=');
    if (equals <= 0)
        return false;
    const QByteArray keyword = record.left(equals);
    const QByteArray value = record.mid(equals + 1);
    if (keyword == "path") {
        attributes.path = value;
    } else if (keyword == "linkpath") {
        attributes.linkpath = value;
    } else if (keyword == "size") {
        attributes.size = paxNumber(value);
        return attributes.size.has_value();
    } else if (keyword.startsWith("GNU.sparse.")) {
        return applySparseKeyword(keyword.mid(11), value, attributes);
    } else if (keyword == "mtime") {
        if (const auto seconds = paxTime(value))
            attributes.mtime = seconds;
    }
    return true;
}

// The stored checksum matches the sum of the record's bytes with the checksum field counted as
// blanks (as unsigned bytes, or as signed ones, which some old tar programs summed). A record of
// NULs only (the archive's end) carries none.
bool checksumMatches(const char *block) {
    const quint64 stored =
        TarHeaderParser::charToUnsignedLongLong(block + kChecksumOffset, kChecksumWidth);
    qint64 unsignedSum = 0;
    qint64 signedSum = 0;
    bool allZero = true;
    for (qsizetype i = 0; i < TarHeaderParser::kBlockSize; ++i) {
        const bool inField = i >= kChecksumOffset && i < kChecksumOffset + kChecksumWidth;
        const char byte = inField ? ' ' : block[i];
        allZero = allZero && block[i] == '\0';
        unsignedSum += static_cast<unsigned char>(byte);
        signedSum += static_cast<signed char>(byte);
    }
    return allZero || qint64(stored) == unsignedSum || qint64(stored) == signedSum;
}

} // namespace

void PaxAttributes::merge(const PaxAttributes &other) {
    if (other.path)
        path = other.path;
    if (other.linkpath)
        linkpath = other.linkpath;
    if (other.size)
        size = other.size;
    if (other.mtime)
        mtime = other.mtime;
    if (other.sparseName)
        sparseName = other.sparseName;
    if (other.sparseRealSize)
        sparseRealSize = other.sparseRealSize;
    if (other.sparseMap)
        sparseMap = other.sparseMap;
    sparseMapInData = sparseMapInData || other.sparseMapInData;
}

namespace TarHeaderParser {

quint64 charToUnsignedLongLong(const char *field, qsizetype width) {
    qsizetype i = 0;
    while (i < width && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    quint64 value = 0;
    for (; i < width && field[i] >= '0' && field[i] <= '7'; ++i) {
        if (value > (std::numeric_limits<quint64>::max() >> 3))
            return std::numeric_limits<quint64>::max();
        value = (value << 3) | quint64(field[i] - '0');
    }
    return value;
}

std::optional<qint64> numericField(const char *field, qsizetype width) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(field);
    if (bytes[0] & 0x80)
        return base256Field(bytes, width);
    const quint64 value = charToUnsignedLongLong(field, width);
    if (value > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt;
    return qint64(value);
}

quint64 paddedSize(quint64 size) {
    return (size + quint64(kBlockSize) - 1) / quint64(kBlockSize) * quint64(kBlockSize);
}

std::optional<TarHeader> parse(const char *block) {
    if (!checksumMatches(block))
        return std::nullopt;
    const auto size = numericField(block + kSizeOffset, kSizeWidth);
    const auto mtime = numericField(block + kMtimeOffset, kMtimeWidth);
    if (!size || *size < 0 || !mtime)
        return std::nullopt;
    TarHeader header;
    header.typeflag = block[kTypeflagOffset];
    header.type = classify(header.typeflag);
    header.name = textField(block, kNameOffset, kNameWidth);
    if (std::memcmp(block + kMagicOffset, kPosixMagic, sizeof kPosixMagic) == 0) {
        const QByteArray prefix = textField(block, kPrefixOffset, kPrefixWidth);
        if (!prefix.isEmpty())
            header.name = prefix + '/' + header.name;
    }
    header.linkName = textField(block, kLinkNameOffset, kLinkNameWidth);
    header.mode = quint32(charToUnsignedLongLong(block + kModeOffset, kModeWidth) & 07777);
    header.size = quint64(*size);
    header.mtime = *mtime;
    if (header.typeflag == 'S') {
        const auto realSize = numericField(block + kSparseRealSizeOffset, kSparseRealSizeWidth);
        if (!realSize || *realSize < 0 ||
            !appendSpans(block + kSparseOffset, kSparseSpans, header.sparseMap))
            return std::nullopt;
        header.sparseRealSize = quint64(*realSize);
        header.sparseMapContinues = block[kSparseContinuesOffset] != '\0';
    }
    return header;
}

std::optional<PaxAttributes> parsePax(const QByteArray &data) {
    PaxAttributes attributes;
    qsizetype position = 0;
    while (position < data.size()) {
        // Padding after the last record is NULs.
        if (data.at(position) == '\0')
            break;
        const qsizetype space = data.indexOf(' ', position);
        if (space < 0)
            return std::nullopt;
        const QByteArray lengthText = data.mid(position, space - position);
        bool ok = false;
        const qsizetype length = lengthText.toLongLong(&ok);
        if (!isDigits(lengthText) || !ok || length <= space - position + 1 ||
            length > data.size() - position || data.at(position + length - 1) != '\n')
            return std::nullopt;
        const QByteArray record = data.mid(space + 1, position + length - 1 - (space + 1));
        if (!applyPaxRecord(record, attributes))
            return std::nullopt;
        position += length;
    }
    return attributes;
}

std::optional<bool> parseSparseExtension(const char *block, std::vector<TarSparseSegment> &map) {
    if (!appendSpans(block, kExtensionSpans, map))
        return std::nullopt;
    return block[kExtensionContinuesOffset] != '\0';
}

std::optional<std::pair<std::vector<TarSparseSegment>, qsizetype>>
parseSparseMapText(const QByteArray &text) {
    qsizetype position = 0;
    const auto nextNumber = [&]() -> std::optional<quint64> {
        const qsizetype end = text.indexOf('\n', position);
        if (end < 0)
            return std::nullopt;
        const auto number = paxNumber(text.mid(position, end - position));
        position = end + 1;
        return number;
    };
    const auto count = nextNumber();
    // Each span takes at least four bytes of text.
    if (!count || *count > quint64(text.size()) / 4)
        return std::nullopt;
    std::vector<TarSparseSegment> map;
    map.reserve(std::size_t(*count));
    for (quint64 i = 0; i < *count; ++i) {
        const auto offset = nextNumber();
        const auto length = nextNumber();
        if (!offset || !length)
            return std::nullopt;
        map.push_back({*offset, *length});
    }
    return std::pair{std::move(map), position};
}

bool isValidSparseMap(const std::vector<TarSparseSegment> &map, quint64 storedSize,
                      quint64 realSize) {
    quint64 end = 0;
    quint64 stored = 0;
    for (const TarSparseSegment &segment : map) {
        if (segment.offset < end || segment.length > realSize ||
            segment.offset > realSize - segment.length)
            return false;
        end = segment.offset + segment.length;
        stored += segment.length;
    }
    return stored == storedSize;
}

} // namespace TarHeaderParser
