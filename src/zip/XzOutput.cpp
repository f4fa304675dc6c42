#include "zip/XzOutput.h"

#include "util/Cancellation.h"
#include "util/FileOps.h"

#include <QByteArray>
#include <QThread>

#include <algorithm>
#include <cerrno>

namespace {

constexpr qsizetype kOutputSize = 256 * 1024;
// The longest the encoder waits for a thread before it hands control back.
constexpr quint32 kWaitMs = 100;

} // namespace

struct XzOutput::Stream {
    lzma_stream lzma = LZMA_STREAM_INIT;
    QByteArray out{kOutputSize, Qt::Uninitialized};
};

XzOutput::XzOutput(int fd, quint64 expectedSize)
    : stream_(std::make_unique<Stream>())
    , fd_(fd)
    , threads_(quint32(qMax(1, QThread::idealThreadCount())))
    , remaining_(expectedSize) {
    lzma_mt options{};
    options.threads = threads_;
    options.timeout = kWaitMs;
    options.preset = LZMA_PRESET_DEFAULT;
    options.check = LZMA_CHECK_CRC64;
    lzma_options_lzma preset;
    if (expectedSize > 0 && !lzma_lzma_preset(&preset, LZMA_PRESET_DEFAULT)) {
        smallest_ = preset.dict_size;
        largest_ = quint64{3} * preset.dict_size;
        options.block_size = largest_;
        blockLeft_ = nextBlock();
    }
    open_ = lzma_stream_encoder_mt(&stream_->lzma, &options) == LZMA_OK;
}

XzOutput::~XzOutput() {
    lzma_end(&stream_->lzma);
}

bool XzOutput::write(const void *data, std::size_t size) {
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const std::size_t piece = std::size_t(qMin<quint64>(size, blockLeft_));
        if (!code(bytes, piece, LZMA_RUN))
            return false;
        bytes += piece;
        size -= piece;
        blockLeft_ -= piece;
        remaining_ -= qMin<quint64>(remaining_, piece);
        if (blockLeft_ == 0) {
            if (!code(nullptr, 0, LZMA_FULL_BARRIER))
                return false;
            blockLeft_ = nextBlock();
        }
    }
    return true;
}

bool XzOutput::finish() {
    return code(nullptr, 0, LZMA_FINISH);
}

quint64 XzOutput::nextBlock() const {
    // The threads take the blocks in turn, so the last ones decide how long one thread works
    // alone at the end, and a block of data that barely compresses takes twice as long as one
    // that does: blocks shrink to the threads' share of what is left, down to one dictionary.
    return std::clamp(remaining_ / threads_, smallest_, largest_);
}

bool XzOutput::code(const void *data, std::size_t size, lzma_action action) {
    lzma_stream &lzma = stream_->lzma;
    lzma.next_in = static_cast<const uint8_t *>(data);
    lzma.avail_in = size;
    for (;;) {
        if (isCurrentThreadCancelled())
            return false;
        QByteArray &out = stream_->out;
        lzma.next_out = reinterpret_cast<uint8_t *>(out.data());
        lzma.avail_out = std::size_t(out.size());
        const lzma_ret status = lzma_code(&lzma, action);
        const qsizetype made = out.size() - qsizetype(lzma.avail_out);
        if (made > 0 && !FileOps::writeAll(fd_, out.constData(), made))
            return false;
        if (status == LZMA_STREAM_END)
            return true;
        if (status != LZMA_OK) {
            errno = status == LZMA_MEM_ERROR ? ENOMEM : EIO;
            return false;
        }
        // Output the threads finish later comes with the next bytes, or with the end.
        if (action == LZMA_RUN && lzma.avail_in == 0)
            return true;
    }
}
