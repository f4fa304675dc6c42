// The zip reader's own file access must answer every read and seek exactly as the file does,
// whichever window holds the bytes.
#include "archive/BufferedZipInput.h"
#include "support/TestDirs.h"

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <minizip/ioapi.h>

namespace {

constexpr qint64 kSize = 300000;

QByteArray sample() {
    QByteArray bytes(kSize, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = char(state >> 16);
    }
    return bytes;
}

struct Step {
    int origin;
    qint64 offset;
    quint64 length;
};

} // namespace

TEST(BufferedZipInput, ReadsAndSeeksMatchTheFile) {
    ScratchDir dir;
    const QByteArray bytes = sample();
    const QString path = dir.write("data.bin", bytes);
    const std::vector<Step> steps = {
        // Byte by byte as minizip reads headers, across the first window's end.
        {ZLIB_FILEFUNC_SEEK_SET, 65534, 1},
        {ZLIB_FILEFUNC_SEEK_CUR, 0, 1},
        {ZLIB_FILEFUNC_SEEK_CUR, 0, 1},
        // The end record search: backwards from the end in overlapping pieces.
        {ZLIB_FILEFUNC_SEEK_END, -1024, 1024},
        {ZLIB_FILEFUNC_SEEK_END, -2044, 1024},
        {ZLIB_FILEFUNC_SEEK_END, -70000, 1024},
        // Alternating between two far places keeps both windows.
        {ZLIB_FILEFUNC_SEEK_SET, 100, 40},
        {ZLIB_FILEFUNC_SEEK_SET, 200000, 40},
        {ZLIB_FILEFUNC_SEEK_SET, 140, 40},
        // A read larger than a window, one spanning a window's end, one past the file's end.
        {ZLIB_FILEFUNC_SEEK_SET, 3, 150000},
        {ZLIB_FILEFUNC_SEEK_SET, 60000, 16384},
        {ZLIB_FILEFUNC_SEEK_END, -10, 100},
        {ZLIB_FILEFUNC_SEEK_END, 10, 5},
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    BufferedZipInput input(fd, quint64(kSize));
    qint64 position = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(testing::Message() << step.origin << " " << step.offset << " " << step.length);
        ASSERT_TRUE(input.seek(step.offset, step.origin));
        position = step.offset + (step.origin == ZLIB_FILEFUNC_SEEK_CUR   ? position
                                  : step.origin == ZLIB_FILEFUNC_SEEK_END ? kSize
                                                                          : 0);
        EXPECT_EQ(input.tell(), quint64(position));
        QByteArray got(qsizetype(step.length), '\0');
        const quint64 count = input.read(got.data(), step.length);
        const QByteArray want = bytes.mid(qMin(position, kSize), qsizetype(step.length));
        EXPECT_EQ(count, quint64(want.size()));
        EXPECT_EQ(got.left(qsizetype(count)), want);
        position += qint64(count);
        EXPECT_EQ(input.tell(), quint64(position));
    }
    EXPECT_FALSE(input.seek(-1, ZLIB_FILEFUNC_SEEK_SET));
    EXPECT_FALSE(input.hasError());
}
