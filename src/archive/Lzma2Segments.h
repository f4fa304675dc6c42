#pragma once

#include <QtGlobal>

#include <lzma.h>

#include <vector>

class SpannedFiles;

// An LZMA2 stream cut where it resets its dictionary: each segment decodes without the ones
// before it, so several can be decoded at once. 7-Zip's encoder resets it every megabyte or so
// when it compresses on several threads.
namespace Lzma2Segments {

struct Segment {
    quint64 offset = 0;     // of its first chunk, in the files
    quint64 packedSize = 0; // of its chunks
    quint64 size = 0;       // decoded
};

// The segments of the stream of that packed size at the offset, which decodes to `size` bytes,
// found from the chunks' headers alone. One segment for the whole stream when the headers are
// not as LZMA2 writes them: its decoding then meets the damage where it lies.
std::vector<Segment> find(const SpannedFiles &files, quint64 offset, quint64 packedSize,
                          quint64 size);

// Decodes segments, one at a time, in pieces of any size.
class Decoder {
public:
    explicit Decoder(const SpannedFiles &files);
    ~Decoder();
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // Starts on a segment of a stream made with that dictionary size; the memory of the last
    // segment is used again.
    void start(const Segment &segment, quint32 dictionary);
    // Decodes the segment's next `size` bytes, no more than it has left; false when its data is
    // damaged. Its last bytes are only given once its end is found where its size says.
    bool decode(char *out, quint64 size);

private:
    bool fill();
    bool checkEnd();

    const SpannedFiles &files_;
    Segment segment_;
    lzma_stream stream_ = LZMA_STREAM_INIT;
    bool ready_ = false;
    quint64 packedRead_ = 0;
    quint64 decoded_ = 0;
    bool ended_ = false;
    bool endMarkGiven_ = false;
    std::vector<uint8_t> input_;
};

} // namespace Lzma2Segments
