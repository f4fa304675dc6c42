#include "archive/ArchiveError.h"
#include "archive/RarReader.h"

#include "ReaderOf.h"
#include "support/ArchiveKit.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace ArchiveKit;

// A set of volumes opens from any of its parts. A missing part is named, and nothing is written,
// whole or alone. rar 7 names its parts "x.part1.rar" ... only
// (the old "x.r00" naming and RAR4 cannot be made here, and the reader assumes neither).

TEST(VolumeSets, AnyPartOpensTheSetAndAMissingPartIsNamed) {
    struct VolumeSet {
        const char *label;
        // Run in a folder holding big.bin, split over the three parts, and d/small.txt.
        const char *command;
        const char *part; // the name of part %1, from 1 to 3
        MakeReader make;
        const char *listedWithAGap; // what listing gives with a later part missing, joined by ", "
    };
    const VolumeSet sets[] = {
        // Listing stops where the missing part would go on; the split file is listed once.
        {"RAR", "rar a -idq -r -m0 -v100k ../set.rar big.bin d", "set.part%1.rar",
         readerOf<RarReader>, "big.bin"},
        {"7z", "7zz a -bd -bso0 -bsp0 -mx=1 -v100k ../v.7z big.bin d", "v.7z.00%1",
         readerOf<LibarchiveReader>, ""},
    };
    // The part opened, and the one missing (-1: none).
    const std::pair<int, int> cases[] = {{0, -1}, {1, -1}, {2, -1}, {0, 1}, {2, 1}, {2, 0}, {0, 2}};
    const QByteArray big = noise(250000, 7);
    for (const VolumeSet &set : sets) {
        const QStringList parts = {QString(set.part).arg(1), QString(set.part).arg(2),
                                   QString(set.part).arg(3)};
        ScratchDir made;
        made.write("src/big.bin", big);
        made.write("src/d/small.txt", "small\n");
        ASSERT_EQ(runShellIn(made.file("src"), set.command), 0);
        ASSERT_TRUE(QFile::exists(made.file(parts.last())));
        for (const auto &[opened, missing] : cases) {
            SCOPED_TRACE(std::string(set.label) + " " + parts[opened].toStdString() + " without " +
                         (missing < 0 ? "" : parts[missing].toStdString()));
            ScratchDir dir;
            for (qsizetype part = 0; part < parts.size(); ++part) {
                if (part != missing) {
                    ASSERT_TRUE(QFile::copy(made.file(parts[part]), dir.file(parts[part])));
                }
            }
            const auto root = ArchiveEntry::rootEntry();
            const auto reader = set.make(dir.file(parts[opened]), root.get(), QString());
            reader->listEntries();
            const QString expected =
                missing < 0 ? QString()
                            : archiveError(ArchiveErrorCode::MissingVolume, parts[missing]).message;
            EXPECT_EQ(messageOf(*reader), expected);
            // Without the first part nothing can be read.
            const QStringList listed = missing < 0    ? QStringList{"big.bin", "d/", "d/small.txt"}
                                       : missing == 0 ? QStringList()
                                                      : listOf(set.listedWithAGap);
            EXPECT_EQ(listedPaths(root.get()), listed);
            if (const ArchiveEntry *node = findEntry(root.get(), "big.bin")) {
                EXPECT_EQ(node->uncompressedSize(), quint64(big.size()));
            }
            reader->extract(dir.file("whole"));
            EXPECT_EQ(messageOf(*reader), expected);
            if (missing < 0) {
                EXPECT_EQ(contentsBelow(dir.file("whole")), contentsBelow(made.file("src")));
                continue;
            }
            EXPECT_EQ(filesBelow(dir.file("whole")), QStringList());
            if (ArchiveEntry *alone = findEntry(root.get(), "big.bin")) {
                reader->extract(alone, dir.file("alone"));
                EXPECT_EQ(messageOf(*reader), expected);
                EXPECT_EQ(filesBelow(dir.file("alone")), QStringList());
            }
        }
    }
}
