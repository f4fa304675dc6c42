#include "archive/RarReader.h"

#include "archive/ArchiveError.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using ArchiveKit::filesBelow;
using ArchiveKit::readFile;

namespace {

using namespace ArchiveKit;

struct VolumeCase {
    const char *label;
    // The volume opened, and the one removed first (none when empty).
    const char *opened;
    const char *removed;
    // Part of the error after a whole extraction; empty when it succeeds.
    const char *error;
};

// rar names the volumes of a set "x.part1.rar", "x.part2.rar"...; a user may open any of them.
TEST(RarVolumeSet, AnyVolumeOpensTheSetAndAMissingOneIsNamed) {
    const VolumeCase cases[] = {
        {"second volume", "set.part2.rar", "", ""},
        {"last volume", "set.part3.rar", "", ""},
        {"first volume, second missing", "set.part1.rar", "set.part2.rar", "set.part2.rar"},
        {"last volume, second missing", "set.part3.rar", "set.part2.rar", "set.part2.rar"},
        {"first volume, last missing", "set.part1.rar", "set.part3.rar", "set.part3.rar"},
    };
    for (const VolumeCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        const QByteArray big = noise(250000, 7);
        writeFile(dir.file("src"), "big.bin", big, localDate(2021, 1, 2, 3, 4, 6));
        writeFile(dir.file("src"), "d/small.txt", "small\n", localDate(2021, 1, 2, 3, 4, 8));
        ASSERT_TRUE(makeRar(dir.file("src"), "-r -m0 -v100k", dir.file("set.rar"), "big.bin d"));
        if (*row.removed) {
            ASSERT_TRUE(QFile::remove(dir.file(QString::fromLatin1(row.removed))));
        }
        Opened<RarReader> rar(dir.file(QString::fromLatin1(row.opened)));
        const auto message = [&] {
            return rar.reader->archiveError() ? rar.reader->archiveError()->message : QString();
        };
        const QString expected = *row.error ? archiveError(ArchiveErrorCode::MissingVolume,
                                                           QString::fromLatin1(row.error))
                                                  .message
                                            : QString();
        // Listing stops where the missing volume would go on.
        const QStringList listed = rar.list();
        EXPECT_EQ(message(), expected);
        EXPECT_EQ(listed.mid(0, 1), QStringList{"big.bin"});
        const QString whole = dir.file("whole");
        QDir().mkpath(whole);
        rar.reader->extract(whole);
        EXPECT_EQ(message(), expected);
        if (*row.error) {
            EXPECT_FALSE(QFile::exists(whole + "/big.bin"));
        } else {
            EXPECT_EQ(listed, (QStringList{"big.bin", "d/", "d/small.txt"}));
            EXPECT_EQ(readFile(whole + "/big.bin"), big);
            EXPECT_EQ(filesBelow(whole), (QStringList{"big.bin", "d/", "d/small.txt"}));
        }
    }
}

} // namespace
