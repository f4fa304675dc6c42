#include "archive/LibarchiveStreamReader.h"

#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

struct StreamCase {
    const char *label;
    // Made from a.txt and big.bin by the command.
    const char *archive;
    const char *command;
};

// A whole stream is decoded into memory, with no temporary tar on disk, and read in place: an
// xz file sized by its indexes, another format while it fits. Cut ones are kept on disk
// (CutCompressedTest).
TEST(StreamsInMemory, WholeStreamsDecodeWithoutTemporaryTar) {
    const StreamCase cases[] = {
        {"xz, one stream", "t.tar.xz", "tar cJf t.tar.xz a.txt big.bin"},
        {"xz blocks on two threads", "t.tar.xz",
         "tar cf - a.txt big.bin | xz -T2 --block-size=65536 > t.tar.xz"},
        // Every stream's index counts; the zeros are stream padding.
        {"xz streams one after another, zeros between", "t.tar.xz",
         "tar cf t.tar a.txt big.bin && n=$(( $(stat -c %s t.tar) / 2 )) && "
         "head -c $n t.tar | xz > t.tar.xz && head -c 8 /dev/zero >> t.tar.xz && "
         "tail -c +$((n + 1)) t.tar | xz -1 >> t.tar.xz"},
        // No size up front: zstd reading a pipe writes none.
        {"zstd from a pipe", "t.tar.zst", "tar --zstd -cf t.tar.zst a.txt big.bin"},
        {"lzip", "t.tar.lz", "tar --lzip -cf t.tar.lz a.txt big.bin"},
    };
    const QByteArray big = noise(300000, 5);
    for (const StreamCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        dir.write("big.bin", big);
        ASSERT_EQ(runShellIn(dir.path(), QString::fromLatin1(row.command)), 0);
        auto root = ArchiveEntry::rootEntry();
        const auto reader = ReaderBase::create<LibarchiveStreamReader>(
            dir.file(row.archive), root.get(), nullptr, QString());
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
