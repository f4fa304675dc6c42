#include "archive/Lzma2Segments.h"
#include "archive/SpannedFiles.h"

#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

using namespace ArchiveKit;

// LZMA2 streams put together from liblzma's own chunks: where the segments fall, and what each
// decodes to on its own.

namespace {

// Compressible text, the same for every run with that seed.
QByteArray text(int lines, int seed) {
    QByteArray bytes;
    for (int line = 0; line < lines; ++line)
        bytes += QByteArray::number((line * 7919 + seed) % 1000) + " words of line " +
                 QByteArray::number(line % 97) + "\n";
    return bytes;
}

// An LZMA2 stream of the data alone, without its end mark: it starts by resetting the
// dictionary and setting the coder's properties.
QByteArray chunksOf(const QByteArray &data) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 1);
    const lzma_filter filters[2] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    QByteArray out(data.size() + data.size() / 8 + 1024, '\0');
    size_t written = 0;
    const lzma_ret result = lzma_raw_buffer_encode(
        filters, nullptr, reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()),
        reinterpret_cast<uint8_t *>(out.data()), &written, size_t(out.size()));
    EXPECT_EQ(result, LZMA_OK);
    return out.left(qsizetype(written) - 1);
}

// The same with its first chunk keeping the coder's properties: it cannot start a stream.
QByteArray borrowingChunksOf(const QByteArray &data) {
    const QByteArray chunks = chunksOf(data);
    return char(0xA0 | (chunks[0] & 0x1F)) + chunks.mid(1, 4) + chunks.mid(6);
}

// A stored chunk that resets the dictionary.
QByteArray storedChunk(const QByteArray &data) {
    const auto size = quint16(data.size() - 1);
    return QByteArray(1, '\x01') + char(size >> 8) + char(size & 0xFF) + data;
}

} // namespace

TEST(Lzma2Segments, CutWhereTheDictionaryResetsAndDecodeAlone) {
    const QByteArray a = text(20000, 1);
    const QByteArray b = text(30000, 2);
    const QByteArray stored = noise(5000, 3);
    struct Row {
        const char *label;
        QByteArray stream;
        QByteArray decoded;
        int sizeError;             // added to the decoded size the caller gives
        int cut;                   // bytes of the stream the caller leaves out
        QList<qsizetype> segments; // their decoded sizes
        bool decodes;
    };
    const Row rows[] = {
        {"two streams joined", chunksOf(a) + chunksOf(b), a + b, 0, 0, {a.size(), b.size()}, true},
        {"stored data, then data that sets the properties",
         storedChunk(stored) + chunksOf(b),
         stored + b,
         0,
         0,
         {stored.size(), b.size()},
         true},
        {"stored data in the middle",
         chunksOf(a) + storedChunk(stored) + chunksOf(b),
         a + stored + b,
         0,
         0,
         {a.size(), stored.size(), b.size()},
         true},
        {"a first chunk that keeps the dictionary",
         borrowingChunksOf(b),
         b,
         0,
         0,
         {b.size()},
         false},
        {"cut short", chunksOf(a) + chunksOf(b), a + b, 0, 100, {a.size() + b.size()}, false},
        {"a size the chunks disagree with",
         chunksOf(a) + chunksOf(b),
         a + b,
         1,
         0,
         {a.size() + b.size() + 1},
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        // Behind a header, over two files as a volume set's parts.
        ScratchDir dir;
        const QByteArray file = "header" + row.stream + '\0';
        const QStringList parts = {dir.write("a.001", file.left(file.size() / 2)),
                                   dir.write("a.002", file.mid(file.size() / 2))};
        const SpannedFiles files(parts);
        const auto segments = Lzma2Segments::find(files, 6, quint64(file.size() - 6 - row.cut),
                                                  quint64(row.decoded.size() + row.sizeError));
        QList<qsizetype> sizes;
        QByteArray decoded;
        bool decodes = true;
        Lzma2Segments::Decoder decoder(files);
        for (const auto &segment : segments) {
            sizes << qsizetype(segment.size);
            QByteArray out(qsizetype(segment.size), '\0');
            decoder.start(segment, 1 << 20);
            decodes = decodes && decoder.decode(out.data(), quint64(out.size()));
            decoded += out;
        }
        EXPECT_EQ(sizes, row.segments);
        EXPECT_EQ(decodes, row.decodes);
        if (row.decodes) {
            EXPECT_TRUE(decoded == row.decoded);
        }
    }
}
