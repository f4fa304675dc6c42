#include "archive/SevenZipBlockDecoder.h"

#include "util/ThreadPool.h"

#include <archive.h>
#include <libdeflate.h>

#include <algorithm>
#include <cstring>

namespace {

// Larger pieces are decoded as they are read, so that pieces decoded ahead stay few megabytes.
constexpr quint64 kPooledPiece = 8 << 20;
// What the pieces decoded ahead of the reading may hold at most.
constexpr quint64 kAheadBudget = 32 << 20;
// Bytes passed over at a time in a piece decoded as it is read.
constexpr quint64 kScratchSize = 1 << 20;

} // namespace

SevenZipBlockDecoder::SevenZipBlockDecoder(const QStringList &files)
    : files_(files)
    , decoding_(TaskQueue::Options{.width = ThreadPool::shared().width()}) {
}

std::unique_ptr<SevenZipBlockDecoder>
SevenZipBlockDecoder::create(const QStringList &files, const SevenZipLayout &layout,
                             const QHash<quint64, QString> *selection) {
    if (ThreadPool::shared().width() < 2)
        return nullptr;
    // How far into each block the entries wanted reach.
    std::vector<quint64> reach(layout.folderSizes.size(), 0);
    for (quint64 index = 0; index < layout.entries.size(); ++index) {
        const SevenZipLayout::Entry &entry = layout.entries[index];
        if (entry.folder == SevenZipLayout::kNoData || entry.size == 0 ||
            (selection && !selection->contains(index)))
            continue;
        const auto block = std::size_t(entry.folder);
        if (block >= layout.lzma2Streams.size() || !layout.lzma2Streams[block])
            return nullptr;
        reach[block] = qMax(reach[block], entry.offset + entry.size);
    }
    // libarchive decodes a block up to a link to read its target: the block would be decoded
    // twice.
    for (const quint64 link : layout.links) {
        const int block =
            link < layout.entries.size() ? layout.entries[link].folder : SevenZipLayout::kNoData;
        if (block != SevenZipLayout::kNoData && reach[std::size_t(block)] > 0)
            return nullptr;
    }
    std::unique_ptr<SevenZipBlockDecoder> decoder(new SevenZipBlockDecoder(files));
    if (!decoder->files_.isOpen())
        return nullptr;
    int pooled = 0;
    for (std::size_t block = 0; block < reach.size(); ++block) {
        if (reach[block] == 0)
            continue;
        const SevenZipLayout::Lzma2Stream &stream = *layout.lzma2Streams[block];
        quint64 start = 0;
        for (const auto &segment : Lzma2Segments::find(decoder->files_, stream.offset, stream.size,
                                                       layout.folderSizes[block])) {
            if (start >= reach[block])
                break;
            Piece piece;
            piece.block = int(block);
            piece.start = start;
            piece.segment = segment;
            piece.dictionary = stream.dictionary;
            piece.pooled = segment.size <= kPooledPiece;
            pooled += piece.pooled ? 1 : 0;
            decoder->pieces_.push_back(piece);
            start += segment.size;
        }
    }
    if (pooled < 2)
        return nullptr;
    for (const SevenZipLayout::Entry &entry : layout.entries)
        decoder->places_.push_back({entry.folder, entry.offset, entry.size, entry.crc});
    return decoder;
}

SevenZipBlockDecoder::~SevenZipBlockDecoder() {
    decoding_.clear();
    decoding_.wait();
}

qint64 SevenZipBlockDecoder::read(quint64 entry, quint64 size, char *buffer, quint64 capacity) {
    // The header as libarchive read it must be the one the pieces were cut by.
    if (entry >= places_.size() || places_[entry].size != size)
        return ARCHIVE_FATAL;
    const Place &place = places_[entry];
    if (qint64(entry) != entry_) {
        entry_ = qint64(entry);
        left_ = place.size;
        crc_ = 0;
        damaged_ = place.block != SevenZipLayout::kNoData && !seek(place.block, place.offset);
    }
    if (damaged_)
        return ARCHIVE_WARN;
    if (left_ > 0 && (at_ >= pieces_.size() || pieces_[at_].block != place.block)) {
        damaged_ = true;
        return ARCHIVE_WARN;
    }
    if (left_ == 0) {
        // Reported once: the caller stops reading the entry at a failure.
        damaged_ = place.crc && *place.crc != crc_;
        return damaged_ ? ARCHIVE_WARN : 0;
    }
    const quint64 length = std::min({capacity, left_, pieces_[at_].segment.size - taken_});
    if (!take(buffer, length)) {
        damaged_ = true;
        return ARCHIVE_WARN;
    }
    crc_ = quint32(libdeflate_crc32(crc_, buffer, length));
    left_ -= length;
    return qint64(length);
}

bool SevenZipBlockDecoder::seek(int block, quint64 offset) {
    for (;;) {
        if (at_ >= pieces_.size())
            return false;
        const Piece &piece = pieces_[at_];
        if (piece.block < block || (piece.block == block && piece.end() <= offset)) {
            advance();
            continue;
        }
        if (piece.block > block || piece.start + taken_ > offset)
            return false;
        // Bytes before the place within the piece: decoded but not handed out.
        const quint64 skip = offset - piece.start - taken_;
        if (skip == 0)
            return true;
        if (!take(nullptr, skip))
            return false;
    }
}

bool SevenZipBlockDecoder::take(char *buffer, quint64 size) {
    postAhead();
    Piece &piece = pieces_[at_];
    if (piece.pooled) {
        // Rather than wait for a thread, the reading decodes the piece it needs itself.
        decodeWhole(at_);
        std::unique_lock lock(mutex_);
        decoded_.wait(lock, [&] { return piece.done; });
        if (piece.failed)
            return false;
        if (buffer)
            std::memcpy(buffer, piece.data.constData() + taken_, size);
    } else {
        if (!decoder_)
            decoder_ = decoderFor(piece);
        for (quint64 done = 0; done < size;) {
            const quint64 length = buffer ? size : qMin(size - done, kScratchSize);
            if (!buffer)
                scratch_.resize(length);
            if (!decoder_->decode(buffer ? buffer : scratch_.data(), length))
                return false;
            done += length;
        }
    }
    taken_ += size;
    if (taken_ == piece.segment.size)
        advance();
    return true;
}

void SevenZipBlockDecoder::advance() {
    {
        std::lock_guard lock(mutex_);
        if (!pieces_[at_].data.isNull())
            spareBuffers_.push_back(std::move(pieces_[at_].data));
        pieces_[at_].data = QByteArray();
        pieces_[at_].dropped = true;
        if (decoder_)
            idleDecoders_.push_back(std::move(decoder_));
    }
    ++at_;
    taken_ = 0;
}

std::unique_ptr<Lzma2Segments::Decoder> SevenZipBlockDecoder::decoderFor(const Piece &piece) {
    std::unique_ptr<Lzma2Segments::Decoder> decoder;
    {
        std::lock_guard lock(mutex_);
        if (!idleDecoders_.empty()) {
            decoder = std::move(idleDecoders_.back());
            idleDecoders_.pop_back();
        }
    }
    if (!decoder)
        decoder = std::make_unique<Lzma2Segments::Decoder>(files_);
    decoder->start(piece.segment, piece.dictionary);
    return decoder;
}

void SevenZipBlockDecoder::postAhead() {
    const auto ahead = std::size_t(ThreadPool::shared().width()) * 2 + 2;
    quint64 held = 0;
    for (std::size_t index = at_; index < pieces_.size() && index < at_ + ahead; ++index) {
        Piece &piece = pieces_[index];
        if (!piece.pooled)
            continue;
        held += piece.segment.size;
        if (held > kAheadBudget && index > at_)
            return;
        if (!piece.posted) {
            piece.posted = true;
            decoding_.post([this, index] { decodeWhole(index); });
        }
    }
}

void SevenZipBlockDecoder::decodeWhole(std::size_t index) {
    Piece &piece = pieces_[index];
    QByteArray data;
    {
        std::lock_guard lock(mutex_);
        if (piece.started)
            return;
        piece.started = true;
        if (!spareBuffers_.empty()) {
            data = std::move(spareBuffers_.back());
            spareBuffers_.pop_back();
        }
    }
    data.resize(qsizetype(piece.segment.size));
    auto decoder = decoderFor(piece);
    const bool decoded = decoder->decode(data.data(), quint64(data.size()));
    std::lock_guard lock(mutex_);
    idleDecoders_.push_back(std::move(decoder));
    if (decoded && !piece.dropped)
        piece.data = std::move(data);
    piece.failed = !decoded;
    piece.done = true;
    decoded_.notify_all();
}
