#include "zip/XzOutput.h"

#include "util/Cancellation.h"
#include "util/FileOps.h"

#include <QByteArray>
#include <QThread>

#include <lzma.h>

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
    , fd_(fd) {
    lzma_mt options{};
    options.threads = quint32(qMax(1, QThread::idealThreadCount()));
    options.timeout = kWaitMs;
    options.preset = LZMA_PRESET_DEFAULT;
    options.check = LZMA_CHECK_CRC64;
    // The threads compress a block each. xz's blocks of three dictionaries can leave one thread
    // working alone at the end: blocks as large, or a little smaller, in a number the threads
    // share evenly keep them all busy.
    lzma_options_lzma preset;
    if (expectedSize > 0 && !lzma_lzma_preset(&preset, LZMA_PRESET_DEFAULT)) {
        const quint64 largest = quint64{3} * preset.dict_size;
        const quint64 rounds =
            (expectedSize + options.threads * largest - 1) / (options.threads * largest);
        const quint64 blocks = rounds * options.threads;
        options.block_size = qMax<quint64>(preset.dict_size, (expectedSize + blocks - 1) / blocks);
    }
    open_ = lzma_stream_encoder_mt(&stream_->lzma, &options) == LZMA_OK;
}

XzOutput::~XzOutput() {
    lzma_end(&stream_->lzma);
}

bool XzOutput::write(const void *data, std::size_t size) {
    return code(data, size, false);
}

bool XzOutput::finish() {
    return code(nullptr, 0, true);
}

bool XzOutput::code(const void *data, std::size_t size, bool finishing) {
    lzma_stream &lzma = stream_->lzma;
    lzma.next_in = static_cast<const uint8_t *>(data);
    lzma.avail_in = size;
    for (;;) {
        if (isCurrentThreadCancelled())
            return false;
        QByteArray &out = stream_->out;
        lzma.next_out = reinterpret_cast<uint8_t *>(out.data());
        lzma.avail_out = std::size_t(out.size());
        const lzma_ret status = lzma_code(&lzma, finishing ? LZMA_FINISH : LZMA_RUN);
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
        if (!finishing && lzma.avail_in == 0)
            return true;
    }
}
