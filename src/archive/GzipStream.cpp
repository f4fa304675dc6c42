#include "archive/GzipStream.h"

#include <QIODevice>

#include <isa-l/igzip_lib.h>

#include <cstring>
#include <optional>

namespace {

constexpr std::size_t kInputSize = std::size_t{256} * 1024;
constexpr unsigned char kMagic[] = {0x1f, 0x8b};
// The fixed part of a member header and its flags for the optional fields.
constexpr std::size_t kFixedHeader = 10;
constexpr unsigned char kFlagHeaderCrc = 0x02;
constexpr unsigned char kFlagExtra = 0x04;
constexpr unsigned char kFlagName = 0x08;
constexpr unsigned char kFlagComment = 0x10;

// The length of the member header these bytes start with; none while they hold only part of it.
std::optional<std::size_t> headerLength(const unsigned char *bytes, std::size_t size) {
    if (size < kFixedHeader)
        return std::nullopt;
    const unsigned char flags = bytes[3];
    std::size_t at = kFixedHeader;
    if (flags & kFlagExtra) {
        if (size < at + 2)
            return std::nullopt;
        at += 2 + (std::size_t(bytes[at]) | std::size_t(bytes[at + 1]) << 8);
    }
    for (const unsigned char field : {kFlagName, kFlagComment}) {
        if (!(flags & field))
            continue;
        const void *end = at < size ? std::memchr(bytes + at, 0, size - at) : nullptr;
        if (!end)
            return std::nullopt;
        at = std::size_t(static_cast<const unsigned char *>(end) - bytes) + 1;
    }
    if (flags & kFlagHeaderCrc)
        at += 2;
    return at <= size ? std::optional(at) : std::nullopt;
}

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
    atMemberStart_ = true;
}

std::optional<GzipStream::End> GzipStream::fillMore() {
    if (ended_)
        return End::CutShort;
    // A header or block that needs more than the whole input is none gzip writes.
    if (state_->avail_in == input_.size())
        return End::Damaged;
    if (!fill(state_->avail_in + 1))
        return End::ReadFailed;
    return std::nullopt;
}

std::optional<GzipStream::End> GzipStream::fillHeader() {
    while (!headerLength(state_->next_in, state_->avail_in)) {
        if (const auto end = fillMore())
            return end;
    }
    return std::nullopt;
}

bool GzipStream::atMagic() const {
    return state_->avail_in >= sizeof kMagic &&
           std::memcmp(state_->next_in, kMagic, sizeof kMagic) == 0;
}

GzipStream::End GzipStream::decode(Sink &sink, bool allMembers) {
    inflate_state &state = *state_;
    state.next_in = input_.data();
    state.avail_in = 0;
    atMemberStart_ = true;
    for (;;) {
        if (!fill(1))
            return End::ReadFailed;
        if (atMemberStart_) {
            atMemberStart_ = false;
            if (!fill(sizeof kMagic))
                return End::ReadFailed;
            // Bytes that start no gzip member go to the decoder, which reports them.
            if (const auto incomplete = atMagic() ? fillHeader() : std::nullopt)
                return *incomplete;
        }
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
        // Nothing moved: the decoder wants more input than is at hand.
        if (const auto end = fillMore())
            return *end;
    }
}

bool GzipStream::hasMoreInput() const {
    return state_->avail_in > 0 || !archive_.atEnd();
}
