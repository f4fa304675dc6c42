#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>
#include <span>
#include <vector>

class QIODevice;
struct inflate_state;

// Decodes the members of a gzip file one after another with ISA-L's inflate: a stream, so the
// data comes out in pieces with room for progress and a cancel between them, yet as fast as
// libdeflate's one-call decoding of a whole buffer. Each member's CRC and length are checked.
class GzipStream {
public:
    enum class End { Complete, CutShort, Damaged, ReadFailed, Stopped };
    // Where the decoded data goes.
    class Sink {
    public:
        virtual ~Sink() = default;
        // Where the next piece may go; empty when there is no more room (decoding stops where
        // it would make more data).
        virtual std::span<char> room() = 0;
        // Length bytes were written at room(); readPosition is how far the file has been read.
        // False stops decoding.
        virtual bool take(qint64 length, quint64 readPosition) = 0;
    };

    explicit GzipStream(QIODevice &archive);
    ~GzipStream();
    GzipStream(const GzipStream &) = delete;
    GzipStream &operator=(const GzipStream &) = delete;

    // Decodes from the device's position to its end, or after the first member unless
    // allMembers. Bytes after a member that start no other are ignored, as gzip ignores them.
    End decode(Sink &sink, bool allMembers);
    // After a decode of the first member: bytes follow it.
    bool hasMoreInput() const;

private:
    // Reads until at least wanted bytes are at hand or the device ends.
    bool fill(std::size_t wanted);
    // Starts the next member at the bytes at hand.
    void restart();
    // The two bytes at hand start a gzip member.
    bool atMagic() const;
    // Reads at least one byte more; how the data ends when none can come.
    std::optional<End> fillMore();
    // Reads until the member header at hand is whole, as far as the device and the input hold
    // it: ISA-L can misread a header that comes in pieces (one whose name is split between two
    // calls reads memory it never wrote). How the data ends when it stays incomplete.
    std::optional<End> fillHeader();

    QIODevice &archive_;
    std::vector<unsigned char> input_;
    std::unique_ptr<inflate_state> state_;
    quint64 read_ = 0;
    bool ended_ = false;
    // The next input starts a member: its header is made whole first.
    bool atMemberStart_ = true;
};
