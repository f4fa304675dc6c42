#include "archive/Bzip2Blocks.h"
#include "archive/ArchiveError.h"
#include "archive/Bzip2Reader.h"
#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

using namespace ArchiveKit;

// Large bzip2 files are decoded block by block on every core; they must come out as bzip2 itself
// decodes them, streams, ends and damage included.

TEST(Bzip2Blocks, DecodesWhatBzip2DecodesOnEveryCore) {
    const struct {
        const char *label;
        const char *command; // makes b.bz2 from b.bin (6 MB of noise) and a.txt
        bool withA = false;  // a.txt's content follows b.bin's
        std::optional<ArchiveErrorCode> error = {};
    } rows[] = {
        {"blocks of 100 kB", "bzip2 -1 -c b.bin > b.bz2"},
        {"concatenated streams, one empty",
         "(bzip2 -1 -c b.bin; bzip2 -c < /dev/null; bzip2 -9 -c a.txt) > b.bz2", true},
        {"bytes after the last stream", "bzip2 -c b.bin > b.bz2 && echo junk >> b.bz2"},
        {"a damaged block",
         "bzip2 -1 -c b.bin > b.bz2 && printf '\\x55\\xAA' | dd of=b.bz2 bs=1 seek=3000000 "
         "conv=notrunc status=none",
         false, ArchiveErrorCode::Archive},
        {"cut inside a stream", "bzip2 -1 -c b.bin | head -c 4000000 > b.bz2", false,
         ArchiveErrorCode::CutShort},
    };
    ScratchDir dir;
    const QByteArray noisy = noise(6000000, 5);
    dir.write("b.bin", noisy);
    dir.write("a.txt", "alpha\n");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(runShellIn(dir.path(), QString::fromLatin1(row.command)), 0);
        Opened<Bzip2Reader> bz2(dir.file("b.bz2"));
        bz2.list();
        ScratchDir out;
        bz2.reader->extract(out.path());
        EXPECT_EQ(bz2.code(), row.error ? int(*row.error) : 0);
        const QByteArray extracted = readFile(out.file("b"));
        if (row.error == ArchiveErrorCode::CutShort) {
            // Whole blocks before the cut are kept.
            EXPECT_GT(extracted.size(), 1000000);
            EXPECT_TRUE(noisy.startsWith(extracted));
        } else if (!row.error) {
            EXPECT_EQ(extracted, row.withA ? noisy + "alpha\n" : noisy);
        }
    }
}

// A match of the block magic inside a block's data splits it in two: neither half decodes, both
// together do.
TEST(Bzip2Blocks, ABlockSplitByAChanceMatchDecodesJoined) {
    ScratchDir dir;
    dir.write("b.bin", noise(50000, 9));
    ASSERT_EQ(runShellIn(dir.path(), "bzip2 -1 -c b.bin > b.bz2"), 0);
    const QByteArray file = readFile(dir.file("b.bz2"));
    const auto *data = reinterpret_cast<const uchar *>(file.constData());
    const auto size = quint64(file.size());
    const auto blocks = Bzip2Blocks::find(data, size);
    ASSERT_TRUE(blocks && blocks->size() == 1);
    const Bzip2Blocks::Block whole = blocks->front();
    ASSERT_TRUE(whole.streamCrc);
    const quint64 middle = (whole.start + whole.end) / 2 + 3;
    const Bzip2Blocks::Block first{whole.start, middle, true, {}};
    const Bzip2Blocks::Block second{middle, whole.end, false, whole.streamCrc};
    EXPECT_FALSE(Bzip2Blocks::decode(data, size, first, first));
    EXPECT_EQ(Bzip2Blocks::decode(data, size, first, second), readFile(dir.file("b.bin")));
    EXPECT_EQ(*whole.streamCrc,
              Bzip2Blocks::combineCrc(0, Bzip2Blocks::blockCrc(data, size, whole)));
}
