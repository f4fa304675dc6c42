#include "archive/RarReader.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace ArchiveKit;
using OpenedRar = Opened<RarReader>;

// rar 7 names volumes "x.part1.rar", "x.part2.rar", ... only; the old "x.rar", "x.r00" naming
// and RAR4 archives cannot be made here, and the reader assumes neither.

namespace {

const QStringList kListing = {"big.bin", "d/", "d/small.txt"};

QByteArray bigContent() {
    return noise(250000, 5);
}

// A file split over three volumes of 100 KiB, then a small one in a folder.
QString makeVolumes(const ScratchDir &dir) {
    const QString source = dir.file("src");
    writeFile(source, "big.bin", bigContent(), localDate(2021, 1, 2, 3, 4, 6));
    writeFile(source, "d/small.txt", "small\n", localDate(2021, 1, 2, 3, 4, 8));
    if (!makeRar(source, "-r -m0 -v100k", dir.file("set.rar"), "big.bin d"))
        return QString();
    return QFileInfo::exists(dir.file("set.part3.rar")) ? dir.file("set.part1.rar") : QString();
}

} // namespace

TEST(RarVolumes, ASplitFileIsListedOnceFromTheFirstVolume) {
    ScratchDir dir;
    OpenedRar rar(makeVolumes(dir));
    EXPECT_EQ(rar.list(), kListing);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_TRUE(rar.reader->isVolume());
    ASSERT_NE(rar.node("big.bin"), nullptr);
    EXPECT_EQ(rar.node("big.bin")->uncompressedSize(), quint64(bigContent().size()));

    const QString plain = dir.file("plain.rar");
    ASSERT_TRUE(makeRar(dir.file("src"), "-r", plain, "d"));
    OpenedRar single(plain);
    single.list();
    EXPECT_FALSE(single.reader->isVolume());
}

TEST(RarVolumes, AMissingVolumeIsReportedNotWaitedFor) {
    ScratchDir dir;
    const QString first = makeVolumes(dir);
    ASSERT_TRUE(QFile::remove(dir.file("set.part2.rar")));
    OpenedRar rar(first);
    EXPECT_TRUE(rar.list().contains("big.bin"));
    EXPECT_EQ(rar.code(), int(ArchiveErrorCode::MissingVolume));

    const QString whole = dir.file("whole");
    QDir().mkpath(whole);
    rar.reader->extract(whole);
    EXPECT_EQ(rar.code(), int(ArchiveErrorCode::MissingVolume));
    EXPECT_FALSE(QFile::exists(whole + "/big.bin"));

    rar.extract("big.bin", dir.file("single"));
    EXPECT_EQ(rar.code(), int(ArchiveErrorCode::MissingVolume));
    EXPECT_FALSE(QFile::exists(dir.file("single/big.bin")));
}
