#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <vector>

// The blocks of bzip2 data, found by their 48-bit magic numbers, which need not fall on byte
// boundaries. Each block decodes on its own, so the blocks of one file can be decoded on several
// cores at once, the way lbzip2 does.
namespace Bzip2Blocks {

struct Block {
    // Bit offsets from the start of the data: the block's magic number, and where the next
    // magic number (block or end of stream) or the end of the data begins.
    quint64 start = 0;
    quint64 end = 0;
    // The block ends where another block's magic number stands. That one may be a chance match
    // inside the block's coded data: if the block does not decode, it is joined with the next.
    bool endsAtBlock = false;
    // The block's stream ends after it with this combined CRC.
    std::optional<quint32> streamCrc;
};

// The blocks of data made of whole bzip2 streams (concatenated ones included) ending exactly at
// the end of the data, or with its last block cut off there. None when the data holds anything
// else (trailing bytes, no stream at the start, an end of stream that no stream header follows);
// the plain decoder deals with those.
std::optional<std::vector<Block>> find(const uchar *data, quint64 size);

// The block's own CRC, stored after its magic number.
quint32 blockCrc(const uchar *data, quint64 size, const Block &block);
// The stream CRC after adding a block's CRC, as bzip2 combines them.
quint32 combineCrc(quint32 streamCrc, quint32 blockCrc);

// Decodes the bits from one block's start to another's end as a stream of its own; none when
// they are not exactly one valid block (damaged, cut short or ending at a chance match).
std::optional<QByteArray> decode(const uchar *data, quint64 size, const Block &first,
                                 const Block &last);

} // namespace Bzip2Blocks
