#include "archive/DecodedStaging.h"
#include "archive/TarInput.h"
#include "support/ArchiveKit.h"
#include "support/TestDirs.h"
#include "util/MemoryBlock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

const qint64 kPage = ::sysconf(_SC_PAGESIZE);

// Decoded data goes to memory while it fits and on in a file that then holds all of it; a reader
// following the growth reads the same bytes wherever they lie, reads that cross from memory into
// the file included; a failed write of the file is told with its cause.
TEST(DecodedStaging, AFollowerReadsEveryByteWhereverItLies) {
    struct Row {
        const char *label;
        qint64 memory;
        const char *file;
        bool spills;
        int failure;
    };
    const Row rows[] = {
        {"no memory", 0, "x.tar", true, 0},
        {"all in memory", 64 * kPage, "x.tar", false, 0},
        {"memory, then the file", 3 * kPage, "x.tar", true, 0},
        {"memory, then a full disk", 3 * kPage, "/dev/full", true, ENOSPC},
        {"a full disk from the start", 0, "/dev/full", true, ENOSPC},
    };
    QByteArray data(10 * kPage + 123, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 + i / 251);
    constexpr qint64 kPiece = 5000;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        const QString path = row.file[0] == '/' ? row.file : dir.file(row.file);
        DecodedStaging staging(MemoryBlock::reserveUpTo(row.memory), path);
        QByteArray followed;
        std::thread follower([&] {
            TarInput input;
            input.open(staging.path(), staging.memory(), &staging.growth());
            // An odd size, so that reads cross the end of the memory.
            QByteArray piece(1000, Qt::Uninitialized);
            for (qint64 got; (got = input.read(piece.data(), piece.size())) > 0;)
                followed.append(piece.constData(), got);
        });
        bool written = true;
        for (qint64 at = 0; at < data.size() && written; at += kPiece) {
            const qint64 length = qMin(kPiece, data.size() - at);
            // Every other piece is decoded in place where there is room.
            char *space = at / kPiece % 2 ? staging.freeSpace(length) : nullptr;
            if (space)
                std::memcpy(space, data.constData() + at, std::size_t(length));
            written = staging.append(space ? space : data.constData() + at, length);
        }
        written = staging.finish() && written;
        follower.join();
        EXPECT_EQ(staging.spilled(), row.spills);
        if (row.failure) {
            EXPECT_FALSE(written);
            EXPECT_EQ(staging.writeErrno(), row.failure);
            continue;
        }
        EXPECT_TRUE(written);
        EXPECT_EQ(followed, data);
        if (row.spills) {
            EXPECT_EQ(ArchiveKit::readFile(path), data) << "the file alone holds the whole data";
            EXPECT_EQ(staging.takeMemory(), nullptr);
        } else {
            EXPECT_FALSE(QFile::exists(path));
            const std::unique_ptr<MemoryBlock> block = staging.takeMemory();
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(block->bytes().toByteArray(), data);
        }
    }
}

} // namespace
