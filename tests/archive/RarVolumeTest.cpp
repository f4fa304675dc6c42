#include "archive/RarReader.h"

#include "archive/ArchiveError.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace ArchiveKit;

// rar 7 names the volumes of a set "x.part1.rar", "x.part2.rar", ... only (the old "x.rar",
// "x.r00" naming and RAR4 cannot be made here, and the reader assumes neither); a user may open
// any of them.
TEST(RarVolumes, AnyVolumeOpensTheSetAndAMissingOneIsNamed) {
    const struct {
        const char *opened;
        const char *missing; // none when empty
    } rows[] = {
        {"set.part1.rar", ""},
        {"set.part2.rar", ""},
        {"set.part3.rar", ""},
        {"set.part1.rar", "set.part2.rar"},
        {"set.part3.rar", "set.part2.rar"},
        {"set.part1.rar", "set.part3.rar"},
    };
    // A file split over three volumes of 100 KiB, then a small one in a folder.
    ScratchDir made;
    const QByteArray big = noise(250000, 7);
    writeFile(made.file("src"), "big.bin", big, localDate(2021, 1, 2, 3, 4, 6));
    writeFile(made.file("src"), "d/small.txt", "small\n", localDate(2021, 1, 2, 3, 4, 8));
    ASSERT_TRUE(makeRar(made.file("src"), "-r -m0 -v100k", made.file("set.rar"), "big.bin d"));
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.opened) + " without " + row.missing);
        ScratchDir dir;
        for (const char *part : {"set.part1.rar", "set.part2.rar", "set.part3.rar"}) {
            if (qstrcmp(part, row.missing) != 0) {
                ASSERT_TRUE(QFile::copy(made.file(part), dir.file(part)));
            }
        }
        Opened<RarReader> rar(dir.file(QString::fromLatin1(row.opened)));
        const auto message = [&] {
            return rar.reader->archiveError() ? rar.reader->archiveError()->message : QString();
        };
        const QString expected =
            *row.missing ? archiveError(ArchiveErrorCode::MissingVolume, row.missing).message
                         : QString();
        // Listing stops where the missing volume would go on; the split file is listed once.
        const QStringList listed = rar.list();
        EXPECT_EQ(message(), expected);
        EXPECT_TRUE(rar.reader->isVolume());
        ASSERT_EQ(listed.mid(0, 1), QStringList{"big.bin"});
        EXPECT_EQ(rar.node("big.bin")->uncompressedSize(), quint64(big.size()));
        const QString whole = dir.file("whole");
        QDir().mkpath(whole);
        rar.reader->extract(whole);
        EXPECT_EQ(message(), expected);
        if (*row.missing) {
            EXPECT_FALSE(QFile::exists(whole + "/big.bin"));
            rar.extract("big.bin", dir.file("single"));
            EXPECT_EQ(message(), expected);
            EXPECT_FALSE(QFile::exists(dir.file("single/big.bin")));
        } else {
            EXPECT_EQ(listed, (QStringList{"big.bin", "d/", "d/small.txt"}));
            EXPECT_EQ(readFile(whole + "/big.bin"), big);
            EXPECT_EQ(filesBelow(whole), (QStringList{"big.bin", "d/", "d/small.txt"}));
        }
    }
}
