#include "archive/Lzma2Segments.h"

#include "archive/SpannedFiles.h"
#include "util/Cancellation.h"

#include <optional>

namespace Lzma2Segments {

namespace {

// Packed bytes read at a time while decoding.
constexpr quint64 kInputSize = 1 << 20;
// The end mark of an LZMA2 stream: a segment is decoded as a stream of its own.
constexpr uint8_t kEndMark = 0x00;

// One chunk's header, from its control byte: the stream's end, or what the chunk decodes to, its
// length, and whether it resets the dictionary.
struct Chunk {
    bool isEnd = false;
    quint64 length = 0; // header and data
    quint64 size = 0;   // decoded
    bool resetsDictionary = false;
};

std::optional<Chunk> readChunk(const SpannedFiles &files, quint64 at, quint64 left) {
    uchar header[6] = {};
    const quint64 length = qMin<quint64>(sizeof(header), left);
    if (length < 1 || !files.read(at, reinterpret_cast<char *>(header), length))
        return std::nullopt;
    const uchar control = header[0];
    Chunk chunk;
    if (control == kEndMark) {
        chunk.isEnd = true;
    } else if (control == 0x01 || control == 0x02) {
        if (length < 3)
            return std::nullopt;
        // Stored: a size and the bytes as they are.
        chunk.size = ((quint64(header[1]) << 8) | header[2]) + 1;
        chunk.length = 3 + chunk.size;
        chunk.resetsDictionary = control == 0x01;
    } else if (control >= 0x80) {
        if (length < 5)
            return std::nullopt;
        // What it resets: nothing, the state, the state and the properties, or all and the
        // dictionary; a chunk that sets the properties holds them in a sixth header byte.
        const int reset = (control >> 5) & 3;
        chunk.size = ((quint64(control & 0x1F) << 16) | (quint64(header[1]) << 8) | header[2]) + 1;
        chunk.resetsDictionary = reset == 3;
        chunk.length = 5 + (reset >= 2 ? 1 : 0) + ((quint64(header[3]) << 8) | header[4]) + 1;
    } else {
        return std::nullopt;
    }
    return chunk;
}

} // namespace

std::vector<Segment> find(const SpannedFiles &files, quint64 offset, quint64 packedSize,
                          quint64 size) {
    const std::vector<Segment> whole{{offset, packedSize, size}};
    std::vector<Segment> segments;
    Segment current{offset, 0, 0};
    quint64 at = 0;
    for (quint64 chunks = 0; at < packedSize; ++chunks) {
        // A stream of tiny chunks takes long to walk: a cancel ends it.
        if (chunks % 4096 == 4095 && isCurrentThreadCancelled())
            return whole;
        const auto chunk = readChunk(files, offset + at, packedSize - at);
        if (chunk && chunk->isEnd)
            break;
        if (!chunk || chunk->length > packedSize - at || (at == 0 && !chunk->resetsDictionary))
            return whole;
        // After a reset the coder's properties are set anew before any LZMA data: LZMA2
        // decoders refuse a stream that borrows them.
        if (chunk->resetsDictionary && at > 0) {
            segments.push_back(current);
            current = Segment{offset + at, 0, 0};
        }
        current.packedSize += chunk->length;
        current.size += chunk->size;
        at += chunk->length;
    }
    segments.push_back(current);
    quint64 decoded = 0;
    for (const Segment &segment : segments)
        decoded += segment.size;
    return decoded == size ? segments : whole;
}

Decoder::Decoder(const SpannedFiles &files)
    : files_(files) {
}

void Decoder::start(const Segment &segment, quint32 dictionary) {
    segment_ = segment;
    packedRead_ = 0;
    decoded_ = 0;
    ended_ = false;
    endMarkGiven_ = false;
    stream_.avail_in = 0;
    lzma_options_lzma options{};
    // The dictionary starts empty in every segment: it never needs to hold more than it decodes.
    options.dict_size =
        quint32(qMax<quint64>(LZMA_DICT_SIZE_MIN, qMin<quint64>(dictionary, segment.size)));
    const lzma_filter filters[2] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    ready_ = lzma_raw_decoder(&stream_, filters) == LZMA_OK;
}

Decoder::~Decoder() {
    lzma_end(&stream_);
}

bool Decoder::fill() {
    if (packedRead_ < segment_.packedSize) {
        const quint64 length = qMin(kInputSize, segment_.packedSize - packedRead_);
        input_.resize(length);
        if (!files_.read(segment_.offset + packedRead_, reinterpret_cast<char *>(input_.data()),
                         length))
            return false;
        packedRead_ += length;
        stream_.next_in = input_.data();
        stream_.avail_in = length;
        return true;
    }
    if (endMarkGiven_)
        return false;
    endMarkGiven_ = true;
    stream_.next_in = &kEndMark;
    stream_.avail_in = 1;
    return true;
}

bool Decoder::decode(char *out, quint64 size) {
    if (!ready_ || size > segment_.size - decoded_)
        return false;
    stream_.next_out = reinterpret_cast<uint8_t *>(out);
    stream_.avail_out = size;
    while (stream_.avail_out > 0) {
        if (ended_ || (stream_.avail_in == 0 && !fill()))
            return false;
        const lzma_ret result = lzma_code(&stream_, LZMA_RUN);
        if (result == LZMA_STREAM_END)
            ended_ = true;
        else if (result != LZMA_OK)
            return false;
    }
    decoded_ += size;
    return decoded_ < segment_.size || checkEnd();
}

// Every byte is out: the stream must end there, with no data left over.
bool Decoder::checkEnd() {
    uint8_t spare = 0;
    while (!ended_) {
        stream_.next_out = &spare;
        stream_.avail_out = 1;
        if (stream_.avail_in == 0 && !fill())
            return false;
        const lzma_ret result = lzma_code(&stream_, LZMA_RUN);
        if (stream_.avail_out == 0 || (result != LZMA_OK && result != LZMA_STREAM_END))
            return false;
        ended_ = result == LZMA_STREAM_END;
    }
    return true;
}

} // namespace Lzma2Segments
