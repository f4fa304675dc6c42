#include "archive/Bzip2Blocks.h"

#include "util/TaskQueue.h"
#include "util/ThreadPool.h"

#include <algorithm>
#include <cstring>

#include <bzlib.h>

namespace Bzip2Blocks {

namespace {

constexpr quint64 kBlockMagic = 0x314159265359;
constexpr quint64 kEndMagic = 0x177245385090;
constexpr int kMagicBits = 48;
constexpr int kCrcBits = 32;
// "BZh" and the block size digit.
constexpr quint64 kHeaderBits = 32;

struct Marker {
    quint64 bit;
    bool isEnd;
    bool operator<(const Marker &other) const { return bit < other.bit; }
};

// Up to 57 bits from the bit offset on, the first in the highest place; bits past the end read
// as zeros.
quint64 readBits(const uchar *data, quint64 size, quint64 bit, int count) {
    quint64 word = 0;
    const quint64 first = bit / 8;
    for (quint64 i = 0; i < 8; ++i)
        word = (word << 8) | (first + i < size ? data[first + i] : 0);
    return (word << (bit % 8)) >> (64 - count);
}

bool isHeader(const uchar *data, quint64 size, quint64 at) {
    return at + 4 <= size && std::memcmp(data + at, "BZh", 3) == 0 && data[at + 3] >= '1' &&
           data[at + 3] <= '9';
}

// Every place the magic number stands at, starting at the given bit within a byte. The four
// whole bytes it covers there are searched with memmem, and each match checked in full.
std::vector<Marker> findMagic(const uchar *data, quint64 size, quint64 magic, bool isEnd,
                              int shift) {
    std::vector<Marker> markers;
    // The bytes after the one the magic number starts in hold its bits 8 - shift on.
    const auto needleBits = quint32(magic >> (kMagicBits - 32 - (8 - shift)));
    const uchar needle[4] = {uchar(needleBits >> 24), uchar(needleBits >> 16),
                             uchar(needleBits >> 8), uchar(needleBits)};
    for (quint64 from = 1; from + 4 <= size;) {
        const void *hit = ::memmem(data + from, size - from, needle, 4);
        if (!hit)
            break;
        const auto at = quint64(static_cast<const uchar *>(hit) - data);
        const quint64 bit = (at - 1) * 8 + quint64(shift);
        if (bit + kMagicBits <= size * 8 && readBits(data, size, bit, kMagicBits) == magic)
            markers.push_back({bit, isEnd});
        from = at + 1;
    }
    return markers;
}

// Both magic numbers at every bit offset, in file order. The sixteen searches run on the pool:
// alone they would keep the decoding waiting for a tenth of a second per 20 MB.
std::vector<Marker> findMarkers(const uchar *data, quint64 size) {
    std::vector<std::vector<Marker>> found(16);
    TaskQueue searches(TaskQueue::Options{.width = ThreadPool::shared().width()});
    for (int shift = 0; shift < 8; ++shift) {
        searches.post(
            [&, shift] { found[shift] = findMagic(data, size, kBlockMagic, false, shift); });
        searches.post(
            [&, shift] { found[8 + shift] = findMagic(data, size, kEndMagic, true, shift); });
    }
    searches.wait();
    std::vector<Marker> markers;
    for (const std::vector<Marker> &some : found)
        markers.insert(markers.end(), some.begin(), some.end());
    std::sort(markers.begin(), markers.end());
    return markers;
}

// Appends bits to a byte array, the first in the highest place.
class BitWriter {
public:
    explicit BitWriter(QByteArray &out)
        : out_(out) {}
    void write(quint64 value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            pending_ = (pending_ << 1) | ((value >> i) & 1);
            if (++pendingCount_ == 8)
                flushByte();
        }
    }
    // Copies a run of bits while the writer stands at a byte boundary: whole bytes shifted into
    // place, then the bits left over.
    void copy(const uchar *data, quint64 size, quint64 from, quint64 to) {
        const qsizetype whole = qsizetype((to - from) / 8);
        const int shift = int(from % 8);
        const uchar *source = data + from / 8;
        const qsizetype at = out_.size();
        out_.resize(at + whole);
        auto *target = reinterpret_cast<uchar *>(out_.data()) + at;
        // The last byte may have no byte after it to take bits from.
        const qsizetype followed = qMin(whole, qsizetype(size - from / 8) - 1);
        for (qsizetype i = 0; i < followed; ++i)
            target[i] = uchar((source[i] << shift) | (source[i + 1] >> (8 - shift)));
        for (qsizetype i = qMax<qsizetype>(followed, 0); i < whole; ++i)
            target[i] = uchar(source[i] << shift);
        from += quint64(whole) * 8;
        if (from < to)
            write(readBits(data, size, from, int(to - from)), int(to - from));
    }
    void finish() {
        if (pendingCount_ > 0)
            write(0, 8 - pendingCount_);
    }

private:
    void flushByte() {
        out_.append(char(pending_));
        pending_ = 0;
        pendingCount_ = 0;
    }

    QByteArray &out_;
    quint64 pending_ = 0;
    int pendingCount_ = 0;
};

} // namespace

std::optional<std::vector<Block>> find(const uchar *data, quint64 size) {
    if (!isHeader(data, size, 0))
        return std::nullopt;
    const std::vector<Marker> markers = findMarkers(data, size);

    std::vector<Block> blocks;
    auto next = markers.begin();
    for (quint64 streamStart = 0; streamStart < size;) {
        if (!isHeader(data, size, streamStart))
            return std::nullopt;
        // The stream's first marker follows its header; chance matches inside a stream's blocks
        // are never stream starts, as they lie before the stream's real end.
        const quint64 first = streamStart * 8 + kHeaderBits;
        next = std::lower_bound(next, markers.end(), Marker{first, false});
        if (next == markers.end() || next->bit != first)
            return std::nullopt;
        for (; next != markers.end() && !next->isEnd; ++next) {
            const auto after = next + 1;
            blocks.push_back({next->bit, after == markers.end() ? size * 8 : after->bit,
                              after != markers.end() && !after->isEnd, std::nullopt});
        }
        if (next == markers.end())
            return blocks; // cut off inside its last block
        const quint64 crcBit = next->bit + kMagicBits;
        if (crcBit + kCrcBits > size * 8)
            return std::nullopt;
        const auto crc = quint32(readBits(data, size, crcBit, kCrcBits));
        if (blocks.empty() || blocks.back().end != next->bit) {
            // A stream without blocks: nothing to decode, nothing to check.
            if (crc != 0)
                return std::nullopt;
        } else {
            blocks.back().streamCrc = crc;
        }
        streamStart = (crcBit + kCrcBits + 7) / 8;
        ++next;
    }
    return blocks;
}

quint32 blockCrc(const uchar *data, quint64 size, const Block &block) {
    return quint32(readBits(data, size, block.start + kMagicBits, kCrcBits));
}

quint32 combineCrc(quint32 streamCrc, quint32 blockCrc) {
    return ((streamCrc << 1) | (streamCrc >> 31)) ^ blockCrc;
}

std::optional<QByteArray> decode(const uchar *data, quint64 size, const Block &first,
                                 const Block &last) {
    // A stream of one block: the largest block size, the bits, the end and the block's CRC,
    // which is the CRC of a stream of that block alone.
    QByteArray stream("BZh9");
    stream.reserve(qsizetype((last.end - first.start) / 8 + 16));
    BitWriter writer(stream);
    writer.copy(data, size, first.start, last.end);
    writer.write(kEndMagic, kMagicBits);
    writer.write(blockCrc(data, size, first), kCrcBits);
    writer.finish();

    bz_stream decoder{};
    if (BZ2_bzDecompressInit(&decoder, 0, 0) != BZ_OK)
        return std::nullopt;
    QByteArray out(qMax<qsizetype>(stream.size() * 4, 1 << 20), Qt::Uninitialized);
    decoder.next_in = stream.data();
    decoder.avail_in = unsigned(stream.size());
    int status = BZ_OK;
    qsizetype produced = 0;
    while (status == BZ_OK) {
        if (produced == out.size())
            out.resize(out.size() * 2);
        decoder.next_out = out.data() + produced;
        decoder.avail_out = unsigned(out.size() - produced);
        status = BZ2_bzDecompress(&decoder);
        produced = out.size() - qsizetype(decoder.avail_out);
        // All the input went in and more output was room for: the block is cut short.
        if (status == BZ_OK && decoder.avail_in == 0 && decoder.avail_out > 0)
            break;
    }
    BZ2_bzDecompressEnd(&decoder);
    if (status != BZ_STREAM_END)
        return std::nullopt;
    out.truncate(produced);
    return out;
}

} // namespace Bzip2Blocks
