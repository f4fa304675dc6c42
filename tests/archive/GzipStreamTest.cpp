#include "archive/GzipStream.h"

#include "support/ArchiveKit.h"
#include "support/TestDirs.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace ArchiveKit;

namespace {

// Hands out reads of a few bytes, a different number each time, so that headers, trailers and
// member boundaries are split between reads.
class TrickleDevice : public QBuffer {
public:
    using QBuffer::QBuffer;

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        next_ = next_ % 13 + 1;
        return QBuffer::readData(data, qMin<qint64>(maxSize, next_));
    }

private:
    qint64 next_ = 0;
};

class CollectingSink : public GzipStream::Sink {
public:
    // Room for at most capacity bytes in all, when one is given.
    explicit CollectingSink(qsizetype capacity = -1)
        : capacity_(capacity) {}
    std::span<char> room() override {
        const qsizetype left = capacity_ < 0 ? qsizetype(buffer_.size()) : capacity_ - data.size();
        return {buffer_.data(), std::size_t(qMin(left, qsizetype(buffer_.size())))};
    }
    bool take(qint64 length, quint64 readPosition) override {
        data.append(buffer_.data(), length);
        lastPosition = readPosition;
        return true;
    }
    QByteArray data;
    quint64 lastPosition = 0;

private:
    const qsizetype capacity_;
    std::vector<char> buffer_ = std::vector<char>(4096);
};

} // namespace

TEST(GzipStream, DecodesMembersAndTellsHowTheDataEnds) {
    ScratchDir dir;
    QByteArray text;
    for (int line = 0; line < 4000; ++line)
        text += "line " + QByteArray::number(line) + "\n";
    const QByteArray noisy = noise(20000, 3);
    dir.write("a", text);
    dir.write("b", noisy);
    ASSERT_EQ(runShellIn(dir.path(), "gzip -c a > a.gz && gzip -1 -c b > b.gz"), 0);
    const QByteArray first = readFile(dir.file("a.gz"));
    const QByteArray second = readFile(dir.file("b.gz"));

    using End = GzipStream::End;
    const auto flipped = [](QByteArray bytes, qsizetype fromEnd) {
        bytes[bytes.size() - fromEnd] = char(bytes[bytes.size() - fromEnd] ^ 1);
        return bytes;
    };
    struct Row {
        const char *label;
        QByteArray file;
        bool allMembers;
        End end;
        // The data decoded; for a cut, what must have come out before it.
        QByteArray decoded;
        bool moreInput = false;
        // Room for this many bytes only, when given.
        qsizetype room = -1;
    } rows[] = {
        {"one member", first, true, End::Complete, text},
        {"two members", first + second, true, End::Complete, text + noisy},
        {"one member into room of its size", first, false, End::Complete, text, false, text.size()},
        {"more data than room", first + second, true, End::Stopped, text, false, text.size()},
        {"the first member only", first + second, false, End::Complete, text, true},
        {"zeros after the member", first + QByteArray(100, '\0'), true, End::Complete, text, true},
        {"text after the member", first + "trailing words", true, End::Complete, text, true},
        {"a second header cut short", first + "\x1f\x8b\x08", true, End::CutShort, text},
        {"a second header cut in its name", first + second.left(11), true, End::CutShort, text},
        {"a member cut in half", first + second.left(second.size() / 2), true, End::CutShort, text},
        {"a wrong CRC", flipped(first, 6), true, End::Damaged, {}},
        {"a wrong length", flipped(first, 2), true, End::Damaged, {}},
        {"damage in the second member", first + flipped(second, second.size() / 2), true,
         End::Damaged, text},
        {"no gzip at all", text, true, End::Damaged, {}},
        {"an empty file", {}, true, End::CutShort, {}},
    };
    for (const Row &row : rows) {
        for (const bool trickle : {false, true}) {
            SCOPED_TRACE(std::string(row.label) + (trickle ? ", a few bytes per read" : ""));
            QByteArray file = row.file;
            TrickleDevice trickling(&file);
            QBuffer whole(&file);
            QIODevice &device = trickle ? static_cast<QIODevice &>(trickling) : whole;
            ASSERT_TRUE(device.open(QIODevice::ReadOnly));
            CollectingSink sink(row.room);
            GzipStream stream(device);
            EXPECT_EQ(stream.decode(sink, row.allMembers), row.end);
            if (row.end == End::Complete) {
                EXPECT_EQ(sink.data, row.decoded);
                EXPECT_EQ(stream.hasMoreInput(), row.moreInput);
            } else {
                EXPECT_TRUE(sink.data.startsWith(row.decoded));
            }
            EXPECT_LE(sink.lastPosition, quint64(file.size()));
        }
    }
}
