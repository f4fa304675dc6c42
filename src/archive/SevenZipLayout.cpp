#include "archive/SevenZipLayout.h"

#include "archive/SafePath.h"
#include "archive/SpannedFiles.h"

#include <QByteArray>
#include <QtEndian>

#include <lzma.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// The property numbers of the header, from 7-Zip's format description.
enum Property : quint64 {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEmptyFile = 0x0F,
    kName = 0x11,
    kAttributes = 0x15,
    kEncodedHeader = 0x17,
};

constexpr qint64 kSignatureHeaderSize = 32;
// Far beyond any real header; keeps a damaged size from asking for the whole memory.
constexpr quint64 kHeaderLimit = quint64(1) << 30;

// Reads header bytes; empty when they are not all there or more than any real header.
QByteArray readHeaderBytes(const SpannedFiles &files, quint64 offset, quint64 size) {
    return size > kHeaderLimit ? QByteArray() : files.read(offset, size);
}

// A cursor over header bytes. Reading past the end fails the cursor for good and reads zeros,
// so a damaged header ends the parse at its next check.
class Cursor {
public:
    explicit Cursor(const QByteArray &data)
        : data_(data) {}

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    quint64 left() const { return quint64(data_.size() - at_); }

    quint8 byte() {
        if (at_ >= data_.size()) {
            ok_ = false;
            return 0;
        }
        return quint8(data_[at_++]);
    }

    // 7-Zip's variable-length number: the leading one bits of the first byte count the bytes
    // that follow (little-endian), the rest of it holds the highest bits.
    quint64 number() {
        const quint8 first = byte();
        int extra = 0;
        for (quint8 mask = 0x80; extra < 8 && (first & mask) != 0; mask >>= 1)
            ++extra;
        quint64 value = 0;
        for (int i = 0; i < extra; ++i)
            value |= quint64(byte()) << (8 * i);
        if (extra < 8)
            value |= quint64(first & (0xFF >> (extra + 1))) << (8 * extra);
        return value;
    }

    // A count of items that each take at least a byte (or a bit, with perBit) of what is left.
    quint64 count(bool perBit = false) {
        const quint64 value = number();
        if (value > left() * (perBit ? 8 : 1) + 1)
            ok_ = false;
        return ok_ ? value : 0;
    }

    QByteArray take(quint64 size) {
        if (size > left()) {
            ok_ = false;
            return {};
        }
        const QByteArray bytes = data_.mid(at_, qsizetype(size));
        at_ += qsizetype(size);
        return bytes;
    }

    void skip(quint64 size) { take(size); }

    // A vector of bits, the first in the highest bit of the first byte.
    std::vector<bool> bits(quint64 count) {
        if (count > left() * 8) {
            ok_ = false;
            return {};
        }
        std::vector<bool> bits(count);
        quint8 current = 0;
        for (quint64 i = 0; i < count; ++i) {
            if (i % 8 == 0)
                current = byte();
            bits[i] = (current & (0x80 >> (i % 8))) != 0;
        }
        return bits;
    }

    // Checksums, each present or not.
    std::vector<std::optional<quint32>> digests(quint64 count) {
        const bool allDefined = byte() != 0;
        const std::vector<bool> defined = allDefined ? std::vector<bool>() : bits(count);
        std::vector<std::optional<quint32>> digests;
        for (quint64 i = 0; i < count && ok_ && (allDefined || i < defined.size()); ++i) {
            if (!allDefined && !defined[i]) {
                digests.emplace_back();
                continue;
            }
            const QByteArray bytes = take(4);
            digests.emplace_back(ok_ ? qFromLittleEndian<quint32>(bytes.constData()) : 0);
        }
        return digests;
    }

    bool expect(quint64 property) {
        if (number() != property)
            ok_ = false;
        return ok_;
    }

private:
    QByteArray data_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

struct Coder {
    QByteArray id;
    QByteArray properties;
};

struct Folder {
    std::vector<Coder> coders;
    quint64 outStreams = 0;
    std::vector<quint64> unpackSizes; // one per out stream
    std::vector<quint64> boundOuts;   // the out streams that feed another coder
    quint64 packedStreams = 1;
    std::optional<quint32> crc;
    // The sizes of the entries' streams in the decoded data, and their checksums.
    std::vector<quint64> substreamSizes;
    std::vector<std::optional<quint32>> substreamCrcs;

    // The folder's decoded size: that of the one out stream no coder reads.
    quint64 size() const {
        for (std::size_t out = 0; out < unpackSizes.size(); ++out) {
            if (std::find(boundOuts.begin(), boundOuts.end(), out) == boundOuts.end())
                return unpackSizes[out];
        }
        return 0;
    }
};

struct Streams {
    quint64 packPosition = 0;
    std::vector<quint64> packSizes;
    std::vector<Folder> folders;
};

Folder readFolder(Cursor &cursor) {
    Folder folder;
    quint64 inStreams = 0;
    const quint64 coders = cursor.count();
    for (quint64 i = 0; i < coders && cursor.ok(); ++i) {
        const quint8 flags = cursor.byte();
        // Alternative methods (bit 7) were never written by any 7-Zip.
        if (flags & 0x80)
            cursor.fail();
        Coder coder;
        coder.id = cursor.take(flags & 0x0F);
        quint64 in = 1;
        quint64 out = 1;
        if (flags & 0x10) {
            in = cursor.count();
            out = cursor.count();
        }
        if (flags & 0x20)
            coder.properties = cursor.take(cursor.number());
        inStreams += in;
        folder.outStreams += out;
        folder.coders.push_back(coder);
    }
    if (folder.outStreams == 0 || folder.outStreams > inStreams + 1) {
        cursor.fail();
        return folder;
    }
    // Counts multiply: every loop that reads numbers stops with the header's bytes.
    const quint64 bindPairs = folder.outStreams - 1;
    for (quint64 i = 0; i < bindPairs && cursor.ok(); ++i) {
        cursor.number();
        folder.boundOuts.push_back(cursor.number());
    }
    folder.packedStreams = inStreams - bindPairs;
    if (folder.packedStreams > 1) {
        for (quint64 i = 0; i < folder.packedStreams && cursor.ok(); ++i)
            cursor.number();
    }
    return folder;
}

void readPackInfo(Cursor &cursor, Streams &streams) {
    streams.packPosition = cursor.number();
    const quint64 count = cursor.count();
    for (quint64 id = cursor.number(); cursor.ok() && id != kEnd; id = cursor.number()) {
        if (id == kSize) {
            for (quint64 i = 0; i < count && cursor.ok(); ++i)
                streams.packSizes.push_back(cursor.number());
        } else if (id == kCrc) {
            cursor.digests(count);
        } else {
            cursor.fail();
        }
    }
}

void readUnpackInfo(Cursor &cursor, Streams &streams) {
    if (!cursor.expect(kFolder))
        return;
    const quint64 count = cursor.count();
    // Folders kept in another stream: 7-Zip never writes them.
    if (cursor.byte() != 0)
        cursor.fail();
    for (quint64 i = 0; i < count && cursor.ok(); ++i)
        streams.folders.push_back(readFolder(cursor));
    if (!cursor.expect(kCodersUnpackSize))
        return;
    for (Folder &folder : streams.folders) {
        for (quint64 i = 0; i < folder.outStreams && cursor.ok(); ++i)
            folder.unpackSizes.push_back(cursor.number());
    }
    for (quint64 id = cursor.number(); cursor.ok() && id != kEnd; id = cursor.number()) {
        if (id != kCrc) {
            cursor.fail();
            break;
        }
        const auto crcs = cursor.digests(count);
        for (std::size_t i = 0; i < crcs.size(); ++i)
            streams.folders[i].crc = crcs[i];
    }
    // Until the substreams say otherwise, each folder holds one stream, the whole of it.
    for (Folder &folder : streams.folders) {
        folder.substreamSizes = {folder.size()};
        folder.substreamCrcs = {folder.crc};
    }
}

void readSubStreamsInfo(Cursor &cursor, Streams &streams) {
    std::vector<quint64> counts(streams.folders.size(), 1);
    quint64 id = cursor.number();
    if (id == kNumUnpackStream) {
        for (quint64 &count : counts)
            count = cursor.count();
        id = cursor.number();
    }
    // The last stream of a folder takes what the others leave of it.
    for (std::size_t i = 0; i < counts.size() && cursor.ok(); ++i) {
        Folder &folder = streams.folders[i];
        folder.substreamSizes.clear();
        quint64 left = folder.size();
        for (quint64 stream = 1; stream < counts[i] && id == kSize && cursor.ok(); ++stream) {
            const quint64 size = cursor.number();
            if (size > left)
                cursor.fail();
            folder.substreamSizes.push_back(size);
            left -= qMin(size, left);
        }
        if (counts[i] > 0)
            folder.substreamSizes.push_back(left);
        // Every count is now backed by numbers read, before anything is sized by it.
        if (folder.substreamSizes.size() != counts[i]) {
            cursor.fail();
            break;
        }
        folder.substreamCrcs.assign(counts[i], std::nullopt);
    }
    if (id == kSize)
        id = cursor.number();
    if (id == kCrc) {
        // A folder of one stream with a checksum of its own keeps it; the others' come here.
        quint64 count = 0;
        for (std::size_t i = 0; i < counts.size(); ++i)
            count += counts[i] == 1 && streams.folders[i].crc ? 0 : counts[i];
        const auto crcs = cursor.digests(count);
        std::size_t next = 0;
        for (std::size_t i = 0; i < counts.size(); ++i) {
            Folder &folder = streams.folders[i];
            if (counts[i] == 1 && folder.crc) {
                folder.substreamCrcs = {folder.crc};
                continue;
            }
            for (quint64 stream = 0; stream < counts[i] && next < crcs.size(); ++stream)
                folder.substreamCrcs[stream] = crcs[next++];
        }
        id = cursor.number();
    } else {
        for (std::size_t i = 0; i < counts.size(); ++i) {
            if (counts[i] == 1)
                streams.folders[i].substreamCrcs = {streams.folders[i].crc};
        }
    }
    if (id != kEnd)
        cursor.fail();
}

Streams readStreams(Cursor &cursor) {
    Streams streams;
    for (quint64 id = cursor.number(); cursor.ok() && id != kEnd; id = cursor.number()) {
        if (id == kPackInfo)
            readPackInfo(cursor, streams);
        else if (id == kUnpackInfo)
            readUnpackInfo(cursor, streams);
        else if (id == kSubStreamsInfo)
            readSubStreamsInfo(cursor, streams);
        else
            cursor.fail();
    }
    return streams;
}

// Decodes a header that 7-Zip compressed with LZMA or LZMA2; empty for any other method
// (an encrypted header among them).
QByteArray decodeHeader(const SpannedFiles &files, const Streams &streams) {
    if (streams.folders.size() != 1 || streams.packSizes.empty())
        return {};
    const Folder &folder = streams.folders.front();
    if (folder.coders.size() != 1 || folder.unpackSizes.size() != 1 ||
        folder.unpackSizes.front() > kHeaderLimit)
        return {};
    const Coder &coder = folder.coders.front();
    lzma_filter filters[2] = {{LZMA_VLI_UNKNOWN, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (coder.id == QByteArray("\x03\x01\x01", 3))
        filters[0].id = LZMA_FILTER_LZMA1;
    else if (coder.id == QByteArray("\x21", 1))
        filters[0].id = LZMA_FILTER_LZMA2;
    else
        return {};
    const QByteArray packed = readHeaderBytes(
        files, quint64(kSignatureHeaderSize) + streams.packPosition, streams.packSizes.front());
    if (packed.isEmpty() ||
        lzma_properties_decode(&filters[0], nullptr,
                               reinterpret_cast<const uint8_t *>(coder.properties.constData()),
                               size_t(coder.properties.size())) != LZMA_OK)
        return {};
    QByteArray header(qsizetype(folder.unpackSizes.front()), Qt::Uninitialized);
    lzma_stream stream = LZMA_STREAM_INIT;
    bool decoded = false;
    if (lzma_raw_decoder(&stream, filters) == LZMA_OK) {
        stream.next_in = reinterpret_cast<const uint8_t *>(packed.constData());
        stream.avail_in = size_t(packed.size());
        stream.next_out = reinterpret_cast<uint8_t *>(header.data());
        stream.avail_out = size_t(header.size());
        // LZMA as 7-Zip writes it has no end mark: the header's size ends it.
        lzma_ret result = LZMA_OK;
        while (result == LZMA_OK && stream.avail_out > 0 && stream.avail_in > 0)
            result = lzma_code(&stream, LZMA_RUN);
        decoded = stream.avail_out == 0 && (result == LZMA_OK || result == LZMA_STREAM_END);
    }
    lzma_end(&stream);
    std::free(filters[0].options);
    return decoded ? header : QByteArray();
}

// The folder's packed data when it is a single LZMA2 stream, as 7-Zip packs all but executables
// and encrypted archives.
std::optional<SevenZipLayout::Lzma2Stream> lzma2Stream(const Folder &folder, quint64 offset,
                                                       quint64 size) {
    if (folder.coders.size() != 1 || folder.packedStreams != 1 || folder.outStreams != 1 ||
        folder.coders.front().id != QByteArray("\x21", 1) ||
        folder.coders.front().properties.size() != 1)
        return std::nullopt;
    // The dictionary's size in one byte: two or three times a power of two.
    const auto code = quint8(folder.coders.front().properties[0]);
    if (code > 40)
        return std::nullopt;
    const quint32 dictionary =
        code == 40 ? 0xFFFFFFFF : (quint32(2) | (code & 1)) << (code / 2 + 11);
    return SevenZipLayout::Lzma2Stream{offset, size, dictionary};
}

// Maps each entry with data to its folder and its place there: the folders hold the entries'
// streams in order.
std::optional<SevenZipLayout> assign(const Streams &main, const QStringList &names,
                                     const std::vector<bool> &emptyStream,
                                     const std::vector<bool> &emptyFile) {
    SevenZipLayout layout;
    quint64 packedAt = quint64(kSignatureHeaderSize) + main.packPosition;
    std::size_t packedStream = 0;
    for (const Folder &folder : main.folders) {
        layout.folderSizes.push_back(folder.size());
        const quint64 packedSize =
            packedStream < main.packSizes.size() ? main.packSizes[packedStream] : 0;
        layout.lzma2Streams.push_back(lzma2Stream(folder, packedAt, packedSize));
        for (quint64 i = 0; i < folder.packedStreams && packedStream < main.packSizes.size(); ++i)
            packedAt += main.packSizes[packedStream++];
    }
    std::size_t folder = 0;
    std::size_t used = 0;
    quint64 offset = 0;
    std::size_t empty = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (emptyStream[std::size_t(i)]) {
            const bool isFile = empty < emptyFile.size() && emptyFile[empty];
            ++empty;
            layout.entries.push_back(
                {names[i], SevenZipLayout::kNoData, !isFile, 0, 0, std::nullopt});
            continue;
        }
        while (folder < main.folders.size() && used == main.folders[folder].substreamSizes.size()) {
            ++folder;
            used = 0;
            offset = 0;
        }
        if (folder == main.folders.size())
            return std::nullopt;
        const Folder &holder = main.folders[folder];
        const quint64 size = holder.substreamSizes[used];
        layout.entries.push_back(
            {names[i], int(folder), false, offset, size, holder.substreamCrcs[used]});
        offset += size;
        ++used;
    }
    return layout;
}

// The entries whose attributes hold a Unix mode of a symbolic link.
std::vector<quint64> linksAmong(Cursor &property, quint64 count) {
    const bool allDefined = property.byte() != 0;
    const std::vector<bool> defined = allDefined ? std::vector<bool>() : property.bits(count);
    // Attributes kept in another stream: 7-Zip never writes them.
    if (property.byte() != 0)
        property.fail();
    std::vector<quint64> links;
    for (quint64 i = 0; i < count && property.ok(); ++i) {
        if (!allDefined && !defined[i])
            continue;
        const QByteArray bytes = property.take(4);
        const quint32 attributes =
            property.ok() ? qFromLittleEndian<quint32>(bytes.constData()) : 0;
        // Bit 15 marks a Unix mode in the upper half.
        if ((attributes & 0x8000) != 0 && ((attributes >> 16) & S_IFMT) == S_IFLNK)
            links.push_back(i);
    }
    return links;
}

// Reads the plain header past its first property.
std::optional<SevenZipLayout> parse(Cursor &cursor) {
    Streams main;
    for (quint64 id = cursor.number(); cursor.ok() && id != kFilesInfo; id = cursor.number()) {
        if (id == kArchiveProperties) {
            while (cursor.ok() && cursor.number() != kEnd)
                cursor.skip(cursor.number());
        } else if (id == kAdditionalStreamsInfo) {
            readStreams(cursor);
        } else if (id == kMainStreamsInfo) {
            main = readStreams(cursor);
        } else if (id == kEnd) {
            // An archive of no entries.
            return cursor.ok() ? std::optional(SevenZipLayout()) : std::nullopt;
        } else {
            cursor.fail();
        }
    }
    const quint64 count = cursor.count(true);
    std::vector<bool> emptyStream(count);
    std::vector<bool> emptyFile;
    std::vector<quint64> links;
    QStringList names;
    for (quint64 id = cursor.number(); cursor.ok() && id != kEnd; id = cursor.number()) {
        Cursor property(cursor.take(cursor.number()));
        if (id == kEmptyStream) {
            emptyStream = property.bits(count);
        } else if (id == kEmptyFile) {
            emptyFile =
                property.bits(quint64(std::count(emptyStream.begin(), emptyStream.end(), true)));
        } else if (id == kAttributes) {
            links = linksAmong(property, count);
        } else if (id == kName) {
            // Names kept in another stream: 7-Zip never writes them.
            if (property.byte() != 0)
                return std::nullopt;
            const QByteArray utf16 = property.take(property.left());
            for (qsizetype at = 0; at + 1 < utf16.size();) {
                qsizetype end = at;
                while (end + 1 < utf16.size() && (utf16[end] != 0 || utf16[end + 1] != 0))
                    end += 2;
                names.append(QString::fromUtf16(
                    reinterpret_cast<const char16_t *>(utf16.constData() + at), (end - at) / 2));
                at = end + 2;
            }
        }
        if (!property.ok())
            cursor.fail();
    }
    if (!cursor.ok() || quint64(names.size()) != count)
        return std::nullopt;
    auto layout = assign(main, names, emptyStream, emptyFile);
    if (layout)
        layout->links = links;
    return layout;
}

} // namespace

std::optional<SevenZipLayout> SevenZipLayout::read(const QStringList &files) {
    const SpannedFiles spanned(files);
    if (files.isEmpty() || !spanned.isOpen())
        return std::nullopt;
    const QByteArray start = spanned.read(0, kSignatureHeaderSize);
    if (!start.startsWith(QByteArray("7z\xBC\xAF\x27\x1C", 6)))
        return std::nullopt;
    const auto offset = qFromLittleEndian<quint64>(start.constData() + 12);
    const auto size = qFromLittleEndian<quint64>(start.constData() + 20);
    if (offset > std::numeric_limits<quint64>::max() / 2)
        return std::nullopt;
    QByteArray header = readHeaderBytes(spanned, quint64(kSignatureHeaderSize) + offset, size);
    // A compressed header describes, as streams, where the real one lies and how it is packed.
    for (int depth = 0; depth < 4 && !header.isEmpty() && header[0] == char(kEncodedHeader);
         ++depth) {
        Cursor cursor(header);
        cursor.byte();
        const Streams streams = readStreams(cursor);
        header = cursor.ok() ? decodeHeader(spanned, streams) : QByteArray();
    }
    Cursor cursor(header);
    if (header.isEmpty() || !cursor.expect(kHeader))
        return std::nullopt;
    return parse(cursor);
}

std::vector<EntryRange> SevenZipLayout::split(int workers,
                                              const QHash<quint64, QString> *selection) const {
    // What each folder costs to decode: all of it, or nothing when no selected entry is in it.
    std::vector<quint64> weights(folderSizes.size(), selection ? 0 : 1);
    if (selection) {
        for (auto it = selection->cbegin(); it != selection->cend(); ++it) {
            if (it.key() < entries.size() && entries[it.key()].folder != kNoData)
                weights[std::size_t(entries[it.key()].folder)] = 1;
        }
    }
    quint64 total = 0;
    int weighted = 0;
    for (std::size_t folder = 0; folder < weights.size(); ++folder) {
        weights[folder] *= qMax<quint64>(folderSizes[folder], 1);
        total += weights[folder];
        weighted += weights[folder] > 0 ? 1 : 0;
    }
    workers = qMin(workers, weighted);
    if (workers < 2 || hasClashingPaths())
        return {};
    // Contiguous groups of folders: a worker that has started decoding passes over a later
    // folder only by decoding it, while folders before its first are skipped unread.
    std::vector<int> groupOf(weights.size(), 0);
    int group = 0;
    quint64 before = 0;
    quint64 inGroup = 0;
    for (std::size_t folder = 0; folder < weights.size(); ++folder) {
        const quint64 middle = before + weights[folder] / 2;
        if (weights[folder] > 0 && inGroup > 0 && group + 1 < workers &&
            middle * quint64(workers) > total * quint64(group + 1)) {
            ++group;
            inGroup = 0;
        }
        groupOf[folder] = group;
        before += weights[folder];
        inGroup += weights[folder];
    }
    // Entries without data go with the folder before them.
    std::vector<EntryRange> ranges(1, EntryRange{0, 0});
    for (quint64 index = 0; index < entries.size(); ++index) {
        const int folder = entries[index].folder;
        if (folder != kNoData && groupOf[std::size_t(folder)] >= int(ranges.size()))
            ranges.push_back(EntryRange{index, 0});
    }
    for (std::size_t range = 0; range + 1 < ranges.size(); ++range)
        ranges[range].end = ranges[range + 1].first;
    ranges.back().end = entries.size();
    return ranges.size() < 2 ? std::vector<EntryRange>() : ranges;
}

bool SevenZipLayout::hasClashingPaths() const {
    // Made as libarchive reports them: with forward slashes, then sanitized as extraction does.
    QHash<QString, bool> isFolder;
    isFolder.reserve(qsizetype(entries.size()));
    for (const Entry &entry : entries) {
        QString path = entry.name;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        path = SafePath::sanitize(path);
        const auto known = isFolder.constFind(path);
        if (known != isFolder.constEnd() && !(*known && entry.isFolder))
            return true;
        isFolder.insert(path, entry.isFolder);
    }
    for (auto it = isFolder.cbegin(); it != isFolder.cend(); ++it) {
        for (qsizetype slash = it.key().indexOf(QLatin1Char('/')); slash > 0;
             slash = it.key().indexOf(QLatin1Char('/'), slash + 1)) {
            const auto parent = isFolder.constFind(it.key().left(slash));
            if (parent != isFolder.constEnd() && !*parent)
                return true;
        }
    }
    return false;
}
