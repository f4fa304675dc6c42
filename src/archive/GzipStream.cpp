#include "archive/GzipStream.h"

#include <QIODevice>

#include <isa-l/igzip_lib.h>

#include <cstring>

namespace {

constexpr std::size_t kInputSize = std::size_t{256} * 1024;
constexpr unsigned char kMagic[] = {0x1f, 0x8b};

} // namespace

GzipStream::GzipStream(QIODevice &archive)
    : archive_(archive)
    , input_(kInputSize)
    , state_(std::make_unique<inflate_state>()) {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_GZIP;
}

GzipStream::~GzipStream() = default;

bool GzipStream::fill(std::size_t wanted) {
    inflate_state &state = *state_;
    while (state.avail_in < wanted && !ended_) {
        // What is left moves to the front, so the read appends to it.
        std::memmove(input_.data(), state.next_in, state.avail_in);
        const qint64 got = archive_.read(reinterpret_cast<char *>(input_.data()) + state.avail_in,
                                         qint64(input_.size() - state.avail_in));
        if (got < 0)
            return false;
        ended_ = got == 0;
        read_ += quint64(got);
        state.next_in = input_.data();
        state.avail_in += quint32(got);
    }
    return true;
}

void GzipStream::restart() {
    // A reset forgets the input at hand.
    uint8_t *next = state_->next_in;
    const quint32 available = state_->avail_in;
    isal_inflate_reset(state_.get());
    state_->crc_flag = ISAL_GZIP;
    state_->next_in = next;
    state_->avail_in = available;
}

bool GzipStream::atMagic() const {
    return state_->avail_in >= sizeof kMagic &&
           std::memcmp(state_->next_in, kMagic, sizeof kMagic) == 0;
}

GzipStream::End GzipStream::decode(Sink &sink, bool allMembers) {
    inflate_state &state = *state_;
    state.next_in = input_.data();
    state.avail_in = 0;
    for (;;) {
        if (!fill(1))
            return End::ReadFailed;
        // Even without room the decoder goes on: a member's trailer makes no data.
        const std::span<char> room = sink.room();
        state.next_out = reinterpret_cast<uint8_t *>(room.data());
        state.avail_out = quint32(room.size());
        const uint8_t *const before = state.next_in;
        const int status = isal_inflate(&state);
        const qint64 made = qint64(room.size() - state.avail_out);
        if (made > 0 && !sink.take(made, read_ - state.avail_in))
            return End::Stopped;
        if (status != ISAL_DECOMP_OK && status != ISAL_END_INPUT && status != ISAL_OUT_OVERFLOW)
            return End::Damaged;
        if (state.block_state == ISAL_BLOCK_FINISH) {
            if (!allMembers)
                return End::Complete;
            if (!fill(sizeof kMagic))
                return End::ReadFailed;
            if (!atMagic())
                return End::Complete;
            restart();
            continue;
        }
        if (made > 0 || state.next_in != before)
            continue;
        if (room.empty())
            return End::Stopped;
        // Nothing moved: the decoder wants more input than is at hand, and at the file's end
        // there is no more.
        if (ended_)
            return End::CutShort;
        if (state.avail_in == input_.size())
            return End::Damaged;
        if (!fill(state.avail_in + 1))
            return End::ReadFailed;
    }
}

bool GzipStream::hasMoreInput() const {
    return state_->avail_in > 0 || !archive_.atEnd();
}
