#include "archive/LibarchiveStreamReader.h"

#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

struct XzCase {
    const char *label;
    // Makes t.tar.xz from a.txt and big.bin.
    const char *command;
};

// The indexes of a whole xz file give its decoded size: it is decoded into memory, with no
// temporary tar on disk, and read in place. A cut one has lost its last index (CutCompressedTest).
TEST(XzInMemory, WholeFilesDecodeWithoutTemporaryTar) {
    const XzCase cases[] = {
        {"one stream", "tar cJf t.tar.xz a.txt big.bin"},
        {"blocks on two threads", "tar cf - a.txt big.bin | xz -T2 --block-size=65536 > t.tar.xz"},
        // Every stream's index counts; the zeros are stream padding.
        {"streams one after another, zeros between",
         "tar cf t.tar a.txt big.bin && n=$(( $(stat -c %s t.tar) / 2 )) && "
         "head -c $n t.tar | xz > t.tar.xz && head -c 8 /dev/zero >> t.tar.xz && "
         "tail -c +$((n + 1)) t.tar | xz -1 >> t.tar.xz"},
    };
    const QByteArray big = noise(300000, 5);
    for (const XzCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        dir.write("big.bin", big);
        ASSERT_EQ(runShellIn(dir.path(), QString::fromLatin1(row.command)), 0);
        auto root = ArchiveEntry::rootEntry();
        const auto reader = ReaderBase::create<LibarchiveStreamReader>(
            dir.file("t.tar.xz"), root.get(), nullptr, QString());
        reader->listEntries();
        EXPECT_EQ(reader->tempFile(), QString());
        const ArchiveEntry *listed = findEntry(root.get(), "big.bin");
        ASSERT_NE(listed, nullptr);
        EXPECT_EQ(listed->uncompressedSize(), quint64(big.size()));
        ScratchDir out;
        reader->extract(out.path());
        EXPECT_EQ(readFile(out.file("big.bin")), big);
        EXPECT_EQ(readFile(out.file("a.txt")), "alpha\n");
    }
}

} // namespace
