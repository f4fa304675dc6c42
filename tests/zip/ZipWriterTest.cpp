#include "zip/ZipWriter.h"
#include "support/ArchiveKit.h"
#include "util/FileAttributes.h"
#include "util/PathUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace ArchiveKit;

namespace {

constexpr quint32 kFolderMode = 040755;
constexpr quint32 kFileMode = 0100644;
constexpr quint32 kLinkMode = 0120644;

QSet<QString> nameSet(const ZipListing &listing) {
    const QStringList names = entryNames(listing);
    return QSet<QString>(names.begin(), names.end());
}

bool zipOnWorkerThread(const std::function<bool()> &zip) {
    bool result = true;
    runOnThread([&] { result = zip(); });
    return result;
}

} // namespace

// The names, data and link targets are the peer tools' to check. Hidden items inside the folders
// given are left out only when asked, an item given directly never.
TEST(ZipFileArchiveEntries, FoldersFilesAndLinksWithFixedModesAndTheTimeOfWriting) {
    ScratchDir dir;
    const QString photos = makeSampleTree(dir.path());
    const QString hiddenTop = dir.write(".top-secret", "given directly");
    const QSet<QString> hidden = {"Photos/.DS_Store", "Photos/.git/", "Photos/.git/config"};
    // Written with the time of writing, whatever the file's own date.
    FileAttributes::setModifiedDate(localDate(2001, 2, 3, 4, 5, 6), photos + "/x.txt");
    for (const bool ignore : {false, true}) {
        SCOPED_TRACE(ignore ? "hidden items left out" : "hidden items kept");
        const QString archive = dir.file(QStringLiteral("out-%1.zip").arg(ignore));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
        ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({photos, hiddenTop}, nullptr, archive,
                                                        ScanOptions::instance(ignore)));
        const QDateTime after = QDateTime::currentDateTime().addSecs(2);

        const ZipListing listing = inspectZip(archive);
        ASSERT_TRUE(listing.valid);
        EXPECT_EQ(listing.items.size(), ignore ? 11 : 14);
        const QSet<QString> names = nameSet(listing);
        EXPECT_TRUE(names.contains({".top-secret", "Photos/x.txt", "Photos/empty/"}));
        EXPECT_EQ(names.contains(hidden), !ignore);
        EXPECT_EQ(names.intersects(hidden), !ignore);
        for (const ZipItem &item : listing.items) {
            SCOPED_TRACE(item.name.toStdString());
            EXPECT_EQ(item.method, 8);
            EXPECT_EQ(item.system, 3);
            const bool ascii = std::all_of(item.name.begin(), item.name.end(),
                                           [](QChar c) { return c.unicode() < 0x80; });
            EXPECT_EQ((item.flags & 0x800) != 0, !ascii);
            const bool link = item.name == "Photos/ln" || item.name == "Photos/dangling";
            EXPECT_EQ(item.mode, item.name.endsWith('/') ? kFolderMode
                                 : link                  ? kLinkMode
                                                         : kFileMode);
            EXPECT_TRUE(item.date >= before && item.date <= after);
        }
    }
}

// Names are relative to the first case-insensitive occurrence of the base.
TEST(ZipFileArchiveEntries, NamesFollowTheBaseAndRepeatsAreAllWritten) {
    ScratchDir dir;
    ZipWriter writer(dir.file("names.zip"));
    writer.setRelativeBase("/Users/u/Desktop");
    const QList<QPair<QString, QString>> cases = {
        {"/Users/u/Desktop/Photos", "Photos"},
        {"/Users/u/Desktop/Photos/2019/a.jpg", "Photos/2019/a.jpg"},
        {"/users/U/DESKTOP/Photos/", "Photos"},
        {"/Users/u/Desktop", ""},
        {"/elsewhere/a.jpg", ""},
    };
    for (const auto &[path, name] : cases)
        EXPECT_EQ(writer.relativePath(path), name) << path.toStdString();

    const QString photos = makeSampleTree(dir.path());
    const QString based = dir.file("based.zip");
    ASSERT_TRUE(ZipWriter::zipFiles({photos + "/sub/data.bin", photos + "/x.txt"}, nullptr, based,
                                    dir.path()));
    EXPECT_EQ(entryNames(inspectZip(based)), QStringList({"Photos/sub/data.bin", "Photos/x.txt"}));

    // The base folder itself gets no entry of its own, only its contents.
    const QString contents = dir.file("contents.zip");
    ASSERT_TRUE(ZipWriter::zipFiles({photos + "/sub"}, nullptr, contents, photos + "/sub"));
    EXPECT_EQ(nameSet(inspectZip(contents)), QSet<QString>({"data.bin", "run.sh"}));

    // An archive written into the folder being zipped leaves itself out.
    const QString inside = photos + "/sub/inside.zip";
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({photos + "/sub"}, nullptr, inside));
    EXPECT_EQ(nameSet(inspectZip(inside)), QSet<QString>({"sub/", "sub/data.bin", "sub/run.sh"}));

    const QString twice = dir.file("twice.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent(
        {dir.write("a/x.txt", "first"), dir.write("b/x.txt", "second one")}, nullptr, twice));
    const ZipListing listing = inspectZip(twice);
    ASSERT_EQ(entryNames(listing), QStringList({"x.txt", "x.txt"}));
    EXPECT_EQ(listing.items[0].size, 5u);
    EXPECT_EQ(listing.items[1].size, 10u);
}

TEST(ZipFileArchiveEntries, LinksToFoldersAreFollowedButNeverRoundACycle) {
    ScratchDir dir;
    dir.write("root/sub/f.txt", "f");
    dir.write("other/g.txt", "gg");
    ASSERT_TRUE(QFile::link("../../other", dir.file("root/sub/out")));
    ASSERT_TRUE(QFile::link("..", dir.file("root/sub/up")));
    const QString archive = dir.file("loop.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({dir.file("root")}, nullptr, archive));

    const ZipListing listing = inspectZip(archive);
    ASSERT_TRUE(listing.valid);
    // "out" leads out of the walk and is followed; "up" leads back into it and stays a link.
    EXPECT_EQ(nameSet(listing),
              QSet<QString>({"root/", "root/sub/", "root/sub/f.txt", "root/sub/out/",
                             "root/sub/out/g.txt", "root/sub/up"}));
    const auto up = std::find_if(listing.items.cbegin(), listing.items.cend(),
                                 [](const ZipItem &item) { return item.name == "root/sub/up"; });
    ASSERT_NE(up, listing.items.cend());
    EXPECT_EQ(up->mode, kLinkMode);
    EXPECT_EQ(up->linkTarget, "..");
}

TEST(ZipFileArchiveProgress, ReportsAddUpAndCarryAcrossFiles) {
    struct Case {
        QList<qint64> fileSizes;
        qsizetype reports;
    };
    // Two files each below a report's worth make one report together.
    const QList<Case> cases = {{{5000000}, 2}, {{1500000, 1500000}, 1}, {{100, 200}, 0}};
    for (const Case &c : cases) {
        ScratchDir dir;
        ProgressRecorder progress;
        ZipWriter writer(dir.file("p.zip"), std::nullopt, &progress);
        writer.setRelativeBase(dir.path());
        quint64 total = 0;
        for (qsizetype i = 0; i < c.fileSizes.size(); ++i) {
            writer.zip(
                dir.write(QStringLiteral("f%1").arg(i), noise(c.fileSizes[i], quint32(i + 1))));
            total += quint64(c.fileSizes[i]);
        }
        EXPECT_EQ(progress.finished.size(), c.reports) << c.fileSizes.first();
        EXPECT_EQ(std::accumulate(progress.finished.cbegin(), progress.finished.cend(),
                                  writer.progressSize()),
                  total);
        EXPECT_TRUE(writer.finish());
    }
}

TEST(ZipFileArchiveCancel, CancelLeavesNoArchive) {
    ScratchDir dir;
    const QString big = dir.file("big.bin");
    QFile(big).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile(big).resize(64 * 1024 * 1024));
    const QString small = dir.write("after.txt", "never written");

    // In the middle of a large file, at its first progress report.
    ProgressRecorder progress;
    progress.cancelOnReport = true;
    const QString archive = dir.file("cancelled.zip");
    EXPECT_FALSE(zipOnWorkerThread([&] {
        return ZipWriter::zipFilesRelativeToParent({big, small}, &progress, archive);
    }));
    EXPECT_EQ(progress.finished.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(archive));

    // Before the first item.
    const QString never = dir.file("never.zip");
    EXPECT_FALSE(zipOnWorkerThread([&] {
        QThread::currentThread()->requestInterruption();
        return ZipWriter::zipFilesRelativeToParent({small}, nullptr, never);
    }));
    EXPECT_FALSE(QFileInfo::exists(never));
}

TEST(ZipFileArchiveFailure, FailuresAreReportedAndLeaveNoArchive) {
    ScratchDir dir;
    const QString good = dir.write("good.txt", "good");
    QDir().mkpath(dir.file("occupied.zip"));
    struct Case {
        QString item;
        QString archive;
        QString message;
    };
    const QList<Case> cases = {
        // The kernel answers every read of this file at offset 0 with an I/O error.
        {"/proc/self/mem", dir.file("unreadable.zip"), "Error in reading 'mem'"},
        {good, dir.file("missing-folder/out.zip"), "Can't open 'out.zip'"},
        {good, dir.file("occupied.zip"), "Can't open 'occupied.zip'"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.archive.toStdString());
        ZipWriter writer(c.archive);
        writer.setRelativeBase(PathUtil::parentFolder(c.item));
        writer.zip(c.item);
        EXPECT_FALSE(writer.finish());
        EXPECT_EQ(writer.failure(), c.message);
        EXPECT_FALSE(QFileInfo(c.archive).isFile());
    }
    EXPECT_TRUE(QFileInfo(dir.file("occupied.zip")).isDir());
}
