#include "archive/ArchiveError.h"
#include "archive/Bzip2Reader.h"
#include "archive/GzipReader.h"
#include "archive/LibarchiveStreamReader.h"

#include "ReaderOf.h"
#include "support/ArchiveKit.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace ArchiveKit;

TEST(CutCompressed, CompleteEntriesAreKeptAndTheCutReported) {
    struct CutCase {
        const char *label;
        // Makes the archive, named below, from a.txt, b.bin and c.txt, then cuts it in half (bzip2
        // decodes whole blocks only: small ones leave some before the cut).
        const char *command;
        const char *name;
        MakeReader make;
        // The one file extraction gives: a.txt whole from a tar, or b, a non-empty part from the
        // start of b.bin.
        const char *kept;
    };
    const auto gzip = readerOf<GzipReader>;
    const auto bzip2 = readerOf<Bzip2Reader>;
    const auto libarchive = readerOf<LibarchiveStreamReader>;
    const CutCase cases[] = {
        {"tgz", "tar czf x a.txt b.bin c.txt", "t.tgz", gzip, "a.txt"},
        {"tar.gz", "tar czf x a.txt b.bin c.txt", "t.tar.gz", gzip, "a.txt"},
        {"tbz2", "tar cf - a.txt b.bin c.txt | bzip2 -1 > x", "t.tbz2", bzip2, "a.txt"},
        {"single gz", "gzip -c b.bin > x", "b.gz", gzip, "b"},
        {"single bz2", "bzip2 -1 -c b.bin > x", "b.bz2", bzip2, "b"},
        {"tar.zst", "tar --zstd -cf x a.txt b.bin c.txt", "t.tar.zst", libarchive, "a.txt"},
        {"tar.lz", "tar --lzip -cf x a.txt b.bin c.txt", "t.tar.lz", libarchive, "a.txt"},
        {"tar.xz", "tar cJf x a.txt b.bin c.txt", "t.tar.xz", libarchive, "a.txt"},
        // Blocks that decode on several threads.
        {"tar.xz in blocks", "tar cf - a.txt b.bin c.txt | xz -T2 --block-size=65536 > x",
         "t.tar.xz", libarchive, "a.txt"},
        {"single xz", "xz -c b.bin > x", "b.xz", libarchive, "b"},
        {"single xz in blocks", "xz -T2 --block-size=65536 -c b.bin > x", "b.xz", libarchive, "b"},
        {"single zst", "zstd -qc b.bin > x", "b.zst", libarchive, "b"},
        // Blocks of 64 KB, so that some decode before the cut.
        {"single lz4", "lz4 -q -B4 -c b.bin > x", "b.lz4", libarchive, "b"},
    };
    const QByteArray noisy = noise(400000, 11);
    const QString cutShort = archiveError(ArchiveErrorCode::CutShort).message;
    for (const CutCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        dir.write("b.bin", noisy);
        dir.write("c.txt", "gamma\n");
        ASSERT_EQ(
            runShellIn(dir.path(), QStringLiteral("%1 && head -c $(( $(stat -c %s x) / 2 )) x > %2")
                                       .arg(QString::fromLatin1(row.command), row.name)),
            0);
        const QString path = dir.file(QString::fromLatin1(row.name));
        // The extraction after the listing, or announced before it: read as the data comes out.
        for (const bool announced : {false, true}) {
            SCOPED_TRACE(announced ? "announced" : "after the listing");
            auto root = ArchiveEntry::rootEntry();
            const auto made = row.make(path, root.get(), QString());
            auto *reader = dynamic_cast<CompressedFileReader *>(made.get());
            ASSERT_TRUE(reader);
            ScratchDir out;
            if (announced)
                reader->extractWhileListing(out.path());
            reader->listEntries();
            EXPECT_EQ(messageOf(*reader), cutShort);
            EXPECT_TRUE(reader->keepsWhatWasRead());
            EXPECT_TRUE(listedPaths(root.get()).contains(row.kept));

            reader->extract(out.path());
            EXPECT_EQ(messageOf(*reader), cutShort);
            EXPECT_EQ(filesBelow(out.path()), QStringList{row.kept});
            if (qstrcmp(row.kept, "b") == 0) {
                const QByteArray part = readFile(out.file("b"));
                EXPECT_FALSE(part.isEmpty());
                EXPECT_TRUE(noisy.startsWith(part));
            } else {
                EXPECT_EQ(readFile(out.file("a.txt")), "alpha\n");
            }
            // Letting the decompressed data go leaves none behind and names none.
            const QString decompressed = reader->tempFile();
            reader->removeTempFile();
            EXPECT_FALSE(QFileInfo::exists(decompressed));
            EXPECT_EQ(reader->tempFile(), QString());
        }
    }
}
