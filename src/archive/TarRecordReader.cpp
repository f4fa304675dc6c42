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
        const qint64 dataPosition = input_.pos();
        const auto header = TarHeaderParser::parse(block);
        if (!header || header->type == TarRecordType::Unknown)
            return Status::Damaged;
        switch (header->type) {
        case TarRecordType::LongName:
        case TarRecordType::LongLinkName:
        case TarRecordType::PaxHeader:
        case TarRecordType::PaxGlobalHeader:
            if (!readMetadata(*header))
                return Status::Damaged;
            continue;
        default:
            entry = makeEntry(*header, dataPosition);
            return Status::Entry;
        }
    }
}

bool TarRecordReader::skipData(const TarEntry &entry) {
    if (entry.size > quint64(std::numeric_limits<qint64>::max() - entry.dataPosition) ||
        !input_.reaches(entry.dataPosition + qint64(entry.size)))
        return false;
    // The last entry's padding may be missing: its data is whole, and a read past the end of the
    // file finds the archive's end.
    return input_.seek(entry.dataPosition + qint64(TarHeaderParser::paddedSize(entry.size)));
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
        return entry;
    }
    entry.type = header.type;
    entry.mode = header.mode;
    entry.name = paxPath ? *keywords.path : longName_.value_or(header.name);
    entry.nameIsUtf8 = paxPath;
    const bool paxLink = keywords.linkpath && !keywords.linkpath->isEmpty();
    entry.linkName = paxLink ? *keywords.linkpath : longLinkName_.value_or(header.linkName);
    entry.linkNameIsUtf8 = paxLink;
    entry.size = keywords.size.value_or(header.size);
    entry.mtime = keywords.mtime.value_or(header.mtime);
    clearPending();
    return entry;
}

void TarRecordReader::clearPending() {
    longName_.reset();
    longLinkName_.reset();
    pax_ = PaxAttributes();
}
