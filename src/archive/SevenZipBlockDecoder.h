#pragma once

#include "archive/Lzma2Segments.h"
#include "archive/SevenZipLayout.h"
#include "archive/SpannedFiles.h"
#include "util/TaskQueue.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// Decodes the LZMA2 solid blocks of a 7z archive itself and hands out each entry's data in
// archive order, its checksum checked. A block is cut where its stream resets the dictionary and
// the pieces are decoded on the thread pool, several at once, a few ahead of the entries read:
// libarchive, which decodes a block on one thread, then only walks the headers.
class SevenZipBlockDecoder {
public:
    // For the archive in these files and the entries to extract (by index; all without a
    // selection). None when a block they need is packed another way, or when its pieces would
    // not be decoded side by side.
    static std::unique_ptr<SevenZipBlockDecoder> create(const QStringList &files,
                                                        const SevenZipLayout &layout,
                                                        const QHash<quint64, QString> *selection);
    // Waits for the pieces being decoded.
    ~SevenZipBlockDecoder();
    SevenZipBlockDecoder(const SevenZipBlockDecoder &) = delete;
    SevenZipBlockDecoder &operator=(const SevenZipBlockDecoder &) = delete;

    // The next bytes of the entry at that index, of that size as libarchive read the header,
    // entries taken in archive order: their count, 0 at its end, negative when they are damaged
    // or fail their checksum.
    qint64 read(quint64 entry, quint64 size, char *buffer, quint64 capacity);

private:
    struct Piece {
        int block = 0;
        quint64 start = 0; // of its decoded bytes in the block's
        Lzma2Segments::Segment segment;
        quint32 dictionary = 0;
        // Decoded whole on the pool; a large piece is decoded as it is read instead.
        bool pooled = false;
        bool posted = false;
        bool started = false;
        bool done = false;
        bool failed = false;
        // Passed by the reading: what its decoding gives is dropped.
        bool dropped = false;
        QByteArray data;

        quint64 end() const { return start + segment.size; }
    };

    // Where an entry's data lies.
    struct Place {
        int block = SevenZipLayout::kNoData;
        quint64 offset = 0;
        quint64 size = 0;
        std::optional<quint32> crc;
    };

    explicit SevenZipBlockDecoder(const QStringList &files);

    // Moves to that place of the block, passing over the bytes before it.
    bool seek(int block, quint64 offset);
    // Takes up to `size` bytes of the current piece (into nowhere without a buffer).
    bool take(char *buffer, quint64 size);
    void advance();
    std::unique_ptr<Lzma2Segments::Decoder> decoderFor(const Piece &piece);
    void postAhead();
    // Decodes a pooled piece unless its decoding has started already.
    void decodeWhole(std::size_t index);

    std::vector<Place> places_;
    SpannedFiles files_;
    std::vector<Piece> pieces_;
    std::mutex mutex_;
    std::condition_variable decoded_;
    // The piece read, the bytes of it taken, and its decoder when it is not pooled.
    std::size_t at_ = 0;
    quint64 taken_ = 0;
    std::unique_ptr<Lzma2Segments::Decoder> decoder_;
    // The entry being read, what is left of it and its running checksum.
    qint64 entry_ = -1;
    quint64 left_ = 0;
    quint32 crc_ = 0;
    bool damaged_ = false;
    std::vector<char> scratch_;
    // Decoders and buffers of pieces done with, for the next pieces.
    std::vector<std::unique_ptr<Lzma2Segments::Decoder>> idleDecoders_;
    std::vector<QByteArray> spareBuffers_;
    TaskQueue decoding_;
};
