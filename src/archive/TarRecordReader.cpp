#include "archive/TarRecordReader.h"

#include "archive/TarInput.h"

#include <algorithm>
#include <limits>

using TarHeaderParser::kBlockSize;

TarRecordReader::TarRecordReader(TarInput &input)
    : input_(input) {
}

TarRecordReader::Status TarRecordReader::next(TarEntry &entry) {
    char block[kBlockSize];
    const auto isZero = [](const char *begin, const char *end) {
        return std::all_of(begin, end, [](char byte) { return byte == '\0'; });
    };
    bool afterZeroBlock = false;
    for (;;) {
        const qint64 recordPosition = input_.pos();
        const qint64 got = input_.read(block, kBlockSize);
        if (got < 0)
            return Status::Damaged;
        // A partial record is a cut archive, unless it is the padding after the last entry.
        if (got < kBlockSize)
            return isZero(block, block + got) ? Status::End : Status::Damaged;
        // Two zero blocks end the archive; whatever follows them is no part of it (tar itself
        // ignores it). A lone zero block is skipped.
        if (isZero(block, block + kBlockSize)) {
            if (afterZeroBlock)
                return Status::End;
            afterZeroBlock = true;
            continue;
        }
        afterZeroBlock = false;
        auto header = TarHeaderParser::parse(block);
        if (!header || header->type == TarRecordType::Unknown)
            return Status::Damaged;
        if (!recordPosition_)
            recordPosition_ = recordPosition;
        switch (header->type) {
        case TarRecordType::LongName:
        case TarRecordType::LongLinkName:
        case TarRecordType::PaxHeader:
        case TarRecordType::PaxGlobalHeader:
            if (!readMetadata(*header))
                return Status::Damaged;
            continue;
        default:
            if (!readSparseExtensions(*header))
                return Status::Damaged;
            entry = makeEntry(*header, input_.pos());
            if (entry.isSparse && !readSparseMapFromData(entry))
                return Status::Damaged;
            if (entry.isSparse &&
                !TarHeaderParser::isValidSparseMap(entry.sparseMap, entry.size, entry.realSize))
                return Status::Damaged;
            return Status::Entry;
        }
    }
}

bool TarRecordReader::skipData(const TarEntry &entry) {
    // Room for the padding too: the seek comes first.
    if (entry.size > quint64(std::numeric_limits<qint64>::max() - entry.dataPosition - 511))
        return false;
    // The last entry's padding may be missing: its data is whole, and a read past the end of the
    // file finds the archive's end. Seeking first lets a window drop the data while it waits.
    return input_.seek(entry.dataPosition + qint64(TarHeaderParser::paddedSize(entry.size))) &&
           input_.reaches(entry.dataPosition + qint64(entry.size));
}

bool TarRecordReader::readMetadata(const TarHeader &header) {
    QByteArray data;
    if (header.size > kMaxMetadataSize || !readData(header.size, data))
        return false;
    const quint64 padding = TarHeaderParser::paddedSize(header.size) - header.size;
    input_.seek(input_.pos() + qint64(padding));
    const QByteArray text = data.left(qsizetype(qstrnlen(data.constData(), size_t(data.size()))));
    switch (header.type) {
    case TarRecordType::LongName:
        longName_ = text;
        return true;
    case TarRecordType::LongLinkName:
        longLinkName_ = text;
        return true;
    default:
        break;
    }
    const auto attributes = TarHeaderParser::parsePax(data);
    if (!attributes)
        return false;
    (header.type == TarRecordType::PaxGlobalHeader ? paxGlobal_ : pax_).merge(*attributes);
    return true;
}

bool TarRecordReader::readSparseExtensions(TarHeader &header) {
    char block[kBlockSize];
    for (bool more = header.sparseMapContinues; more;) {
        if (header.sparseMap.size() > kMaxMetadataSize / sizeof(TarSparseSegment) ||
            input_.read(block, kBlockSize) != kBlockSize)
            return false;
        const auto continues = TarHeaderParser::parseSparseExtension(block, header.sparseMap);
        if (!continues)
            return false;
        more = *continues;
    }
    return true;
}

bool TarRecordReader::readSparseMapFromData(TarEntry &entry) {
    if (!entry.sparseMapInData)
        return true;
    // The text needs at most 21 bytes per number (20 digits and a newline), and its first
    // line, the count, fits the first block.
    QByteArray text;
    if (!readData(qMin<quint64>(entry.size, kBlockSize), text))
        return false;
    const qsizetype countEnd = text.indexOf('\n');
    const quint64 count = countEnd > 0 ? text.left(countEnd).toULongLong() : 0;
    const quint64 textSize =
        count < kMaxMetadataSize / 42 ? 21 * (1 + 2 * count) : kMaxMetadataSize;
    const quint64 longest = qMin(entry.size, qMin(kMaxMetadataSize, textSize));
    QByteArray rest;
    if (longest > quint64(text.size()) &&
        !readData(TarHeaderParser::paddedSize(longest) - quint64(text.size()), rest))
        return false;
    const auto parsed = TarHeaderParser::parseSparseMapText(text + rest);
    if (!parsed)
        return false;
    const auto taken = quint64(TarHeaderParser::paddedSize(quint64(parsed->second)));
    if (taken > entry.size)
        return false;
    entry.sparseMap = parsed->first;
    entry.dataPosition += qint64(taken);
    entry.size -= taken;
    return input_.seek(entry.dataPosition);
}

bool TarRecordReader::readData(quint64 size, QByteArray &data) {
    data.resize(qsizetype(size));
    return input_.read(data.data(), qint64(size)) == qint64(size);
}

TarEntry TarRecordReader::makeEntry(const TarHeader &header, qint64 dataPosition) {
    PaxAttributes keywords = paxGlobal_;
    keywords.merge(pax_);
    const bool paxPath = keywords.path && !keywords.path->isEmpty();
    TarEntry entry;
    entry.dataPosition = dataPosition;
    if (header.typeflag == '\0' && header.name.isEmpty() && !longName_ && !paxPath) {
        entry.type = TarRecordType::EmptyBlock;
        clearPending();
        return entry;
    }
    entry.type = header.type;
    entry.mode = header.mode;
    // next() notes where every entry's records begin.
    entry.recordPosition = recordPosition_.value_or(0);
    entry.name = paxPath ? *keywords.path : longName_.value_or(header.name);
    entry.nameIsUtf8 = paxPath;
    // Sparse formats 0.1 and 1.0 give the header a made-up name ("GNUSparseFile.N/...").
    if (keywords.sparseName && !keywords.sparseName->isEmpty()) {
        entry.name = *keywords.sparseName;
        entry.nameIsUtf8 = true;
    }
    const bool paxLink = keywords.linkpath && !keywords.linkpath->isEmpty();
    entry.linkName = paxLink ? *keywords.linkpath : longLinkName_.value_or(header.linkName);
    entry.linkNameIsUtf8 = paxLink;
    entry.size = keywords.size.value_or(header.size);
    entry.mtime = keywords.mtime.value_or(header.mtime);
    entry.realSize = entry.size;
    if (header.type == TarRecordType::RegularFile) {
        if (header.typeflag == 'S') {
            entry.isSparse = true;
            entry.sparseMap = header.sparseMap;
            entry.realSize = header.sparseRealSize;
        } else if (keywords.sparseRealSize && (keywords.sparseMap || keywords.sparseMapInData)) {
            entry.isSparse = true;
            entry.sparseMap = keywords.sparseMap.value_or(std::vector<TarSparseSegment>());
            entry.sparseMapInData = keywords.sparseMapInData;
            entry.realSize = *keywords.sparseRealSize;
        }
    }
    clearPending();
    return entry;
}

void TarRecordReader::clearPending() {
    longName_.reset();
    longLinkName_.reset();
    pax_ = PaxAttributes();
    recordPosition_.reset();
}
