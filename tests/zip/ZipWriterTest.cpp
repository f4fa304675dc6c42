#include "zip/ZipWriter.h"
#include "support/ArchiveKit.h"
#include "util/FileAttributes.h"
#include "util/FileTree.h"
#include "util/PathUtil.h"
#include "zip/ZipDeflatePipeline.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include <sys/stat.h>

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

constexpr qint64 kChunk = qint64(ZipDeflatePipeline::kChunkSize);

// The entry names a walk of the folder gives: the folder, then its contents depth first.
void expectedNames(const QString &folder, const QString &base, QStringList &names) {
    names.append(QDir(base).relativeFilePath(folder) + QLatin1Char('/'));
    for (const QString &child : FileTree::contentsOfFolder(folder)) {
        const QFileInfo info(child);
        if (info.isDir() && !info.isSymLink())
            expectedNames(child, base, names);
        else
            names.append(QDir(base).relativeFilePath(child));
    }
}

QByteArray compressible(qsizetype size, int seed) {
    QByteArray text;
    while (text.size() < size)
        text += QByteArray::number(seed) + " some words repeat, others do not: " +
                QByteArray::number(text.size() * 7919 % 104729) + '\n';
    return text.left(size);
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
        EXPECT_EQ(names & hidden, ignore ? QSet<QString>() : hidden);
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
    // The sizes of the files and the reports they make: two files each below a report's worth
    // make one report together.
    const std::pair<QList<qint64>, qsizetype> cases[] = {
        {{5000000}, 2}, {{1500000, 1500000}, 1}, {{100, 200}, 0}};
    for (const auto &[fileSizes, reports] : cases) {
        ScratchDir dir;
        ProgressRecorder progress;
        ZipWriter writer(dir.file("p.zip"), std::nullopt, &progress);
        writer.setRelativeBase(dir.path());
        quint64 total = 0;
        for (qsizetype i = 0; i < fileSizes.size(); ++i) {
            writer.zip(
                dir.write(QStringLiteral("f%1").arg(i), noise(fileSizes[i], quint32(i + 1))));
            total += quint64(fileSizes[i]);
        }
        EXPECT_EQ(progress.finished.size(), reports) << fileSizes.first();
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
    // The item, the archive, the failure reported.
    const QString cases[][3] = {
        // The kernel answers every read of this file at offset 0 with an I/O error.
        {"/proc/self/mem", dir.file("unreadable.zip"), "Error in reading 'mem'"},
        {good, dir.file("missing-folder/out.zip"), "Can't open 'out.zip'"},
        {good, dir.file("occupied.zip"), "Can't open 'occupied.zip'"},
    };
    for (const auto &[item, archive, message] : cases) {
        SCOPED_TRACE(archive.toStdString());
        ZipWriter writer(archive);
        writer.setRelativeBase(PathUtil::parentFolder(item));
        writer.zip(item);
        EXPECT_FALSE(writer.finish());
        EXPECT_EQ(writer.failure(), message);
        EXPECT_FALSE(QFileInfo(archive).isFile());
    }
    EXPECT_TRUE(QFileInfo(dir.file("occupied.zip")).isDir());
}

// Entries are deflated on several threads, yet the archive holds them in the order of the walk;
// unzip, 7-Zip and bsdtar extract them without a warning (each answers one with a non-zero exit)
// and as they were on disk.
TEST(ZipPeerTools, ExtractedContentsAreIdenticalAndInTheWalkOrder) {
    ScratchDir dir;
    const QString source = dir.file("source");
    const QString photos = makeSampleTree(source);
    // Sizes on both sides of the chunk boundaries, empty and one-byte files among them, and many
    // small files in several folders.
    const QList<qint64> sizes = {0, 1, 10240, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 5};
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        writeFile(photos, QStringLiteral("T/random%1.bin").arg(i), noise(sizes[i], i + 1));
        writeFile(photos, QStringLiteral("T/text%1.txt").arg(i), compressible(sizes[i], int(i)));
    }
    for (int i = 0; i < 150; ++i)
        writeFile(photos, QStringLiteral("T/sub%1/deeper/f%2.txt").arg(i % 5).arg(i),
                  compressible(100 + i * 37, i));
    const QString archive = dir.file("roundtrip.zip");
    WriteFailure failure;
    ASSERT_TRUE(
        ZipWriter::zipFilesRelativeToParent({photos}, nullptr, archive, std::nullopt, &failure))
        << failure.message.toStdString();
    QStringList walk;
    expectedNames(photos, source, walk);
    EXPECT_EQ(entryNames(inspectZip(archive, false)), walk);
    const QMap<QString, QByteArray> expected = contentsBelow(source);

    // %1: the archive, %2: the destination.
    const std::pair<const char *, const char *> extractors[] = {
        {"unzip", "unzip -q %1 -d %2"},
        {"7zz", "7zz x -snl -y -o%2 %1"},
        {"bsdtar", "bsdtar -xf %1 -C %2"},
    };
    for (const auto &[name, command] : extractors) {
        SCOPED_TRACE(name);
        const QString out = dir.file(QStringLiteral("out-") + name);
        QDir().mkpath(out);
        const ToolResult result =
            runTool("/bin/sh",
                    {"-c", QString::fromLatin1(command).arg(shellQuote(archive), shellQuote(out))});
        ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
        EXPECT_EQ(contentsBelow(out), expected);
    }
}

// The data is the test above's to check.
TEST(ZipPeerTools, ChunkedDataStaysCompressed) {
    ScratchDir dir;
    const QByteArray whole = compressible(5 * kChunk + 123, 9);
    const QString big = dir.write("big.txt", whole);
    const QString archive = dir.file("big.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({big}, nullptr, archive));
    // Chunks deflated apart cost little: far below the input, near one deflate pass over it.
    EXPECT_LT(QFileInfo(archive).size(), qCompress(whole, 6).size() * 11 / 10 + 200);
}

// More than 65,535 entries need the zip64 end record. (Kist reading such archives is a reader
// test.)
TEST(ZipManyEntries, SeventyThousandEntriesAreReadByThePeers) {
    constexpr int kEntries = 70000;
    ScratchDir dir;
    const auto inDir = [&](const QString &command) {
        return runShellIn(dir.path(), command);
    };
    ASSERT_EQ(inDir(QStringLiteral("python3 -c \"import os; os.mkdir('many'); "
                                   "[open('many/%d' % i, 'w').close() for i in range(%1)]\"")
                        .arg(kEntries)),
              0);
    ASSERT_TRUE(
        ZipWriter::zipFilesRelativeToParent({dir.file("many")}, nullptr, dir.file("kist.zip")));
    EXPECT_EQ(inDir(QStringLiteral("unzip -tqq kist.zip")), 0);
    EXPECT_EQ(inDir(QStringLiteral("7zz t kist.zip > /dev/null")), 0);
    // The folder and its files.
    EXPECT_EQ(inDir(QStringLiteral("python3 -c \"import sys, zipfile; "
                                   "sys.exit(len(zipfile.ZipFile('kist.zip').namelist()) != %1)\"")
                        .arg(kEntries + 1)),
              0);
}

// SLOW on purpose (20 to 60 seconds, depending on the machine's load): deflates 4 GiB of zeros
// read from a sparse file at the default level and has 7-Zip inflate them again, to prove the
// zip64 records are right.
TEST(ZipPeerToolsSlow, FileOfMoreThan4GiBGetsZip64Records) {
    ScratchDir dir;
    const qint64 size = 0x100000000LL + 1024 * 1024;
    const QString big = dir.file("big.bin");
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
    }
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(big).constData(), &st), 0);
    if (qint64(st.st_blocks) * 512 > 1024 * 1024 ||
        QStorageInfo(dir.path()).bytesAvailable() < 256LL * 1024 * 1024)
        GTEST_SKIP() << "no sparse files or too little space for the archive";
    const QString after = dir.write("after.txt", "an entry behind the large one");

    const QString archive = dir.file("zip64.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({big, after}, nullptr, archive));

    const ZipListing listing = inspectZip(archive, false);
    ASSERT_EQ(entryNames(listing), QStringList({"big.bin", "after.txt"}));
    EXPECT_EQ(listing.items[0].size, quint64(size));

    const ToolResult sevenZip = runTool("7zz", {"t", archive}, 240000);
    EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output.toStdString();
    EXPECT_TRUE(sevenZip.output.contains("Everything is Ok")) << sevenZip.output.toStdString();
    EXPECT_FALSE(sevenZip.output.contains("WARNING", Qt::CaseInsensitive));
}
