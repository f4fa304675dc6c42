#include "support/ArchiveKit.h"
#include "support/TestDirs.h"
#include "zip/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ArchiveKit;

namespace {

struct Extractor {
    const char *name;
    QString program;
    QStringList arguments; // %A: the archive, %D: the destination
};

QStringList substitute(const QStringList &arguments, const QString &archive,
                       const QString &destination) {
    QStringList result;
    for (QString argument : arguments)
        result.append(argument.replace("%A", archive).replace("%D", destination));
    return result;
}

// What the sample tree must look like after a round trip: the source as it is on disk.
QMap<QString, QString> expectedTree(const QString &parent) {
    QMap<QString, QString> tree;
    const QMap<QString, QString> items = snapshot(parent);
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it.key().startsWith("Photos"))
            tree.insert(it.key(), it.value());
    }
    return tree;
}

} // namespace

TEST(ZipPeerTools, ArchivesTestCleanInEveryTool) {
    ScratchDir dir;
    const QString photos = makeSampleTree(dir.path());
    const QString archive = dir.file("peer.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({photos}, nullptr, archive));

    const ToolResult unzip = runTool("unzip", {"-t", archive});
    EXPECT_EQ(unzip.exitCode, 0) << unzip.output.toStdString();
    EXPECT_TRUE(unzip.output.contains("No errors detected")) << unzip.output.toStdString();
    EXPECT_FALSE(unzip.output.contains("warning", Qt::CaseInsensitive));

    const ToolResult sevenZip = runTool("7zz", {"t", archive});
    EXPECT_EQ(sevenZip.exitCode, 0) << sevenZip.output.toStdString();
    EXPECT_TRUE(sevenZip.output.contains("Everything is Ok")) << sevenZip.output.toStdString();
    EXPECT_FALSE(sevenZip.output.contains("WARNING", Qt::CaseInsensitive));

    const ToolResult bsdtar = runTool("bsdtar", {"-tf", archive});
    EXPECT_EQ(bsdtar.exitCode, 0) << bsdtar.output.toStdString();
    EXPECT_TRUE(bsdtar.output.contains("Photos/Grüße/日本語.txt")) << bsdtar.output.toStdString();

    // The names are listed as they were written.
    const ToolResult names = runTool("unzip", {"-Z1", archive});
    EXPECT_TRUE(names.output.contains("Photos/Grüße/日本語.txt")) << names.output.toStdString();
}

TEST(ZipPeerTools, ExtractedContentsAreIdentical) {
    ScratchDir dir;
    const QString source = dir.file("source");
    QDir().mkpath(source);
    makeSampleTree(source);
    const QString archive = dir.file("roundtrip.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({source + "/Photos"}, nullptr, archive));
    const QMap<QString, QString> expected = expectedTree(source);
    ASSERT_EQ(expected.size(), 13);

    const QList<Extractor> extractors = {
        {"unzip", "unzip", {"-q", "%A", "-d", "%D"}},
        {"7zz", "7zz", {"x", "-snl", "-y", "-o%D", "%A"}},
        {"bsdtar", "bsdtar", {"-xf", "%A", "-C", "%D"}},
    };
    for (const Extractor &extractor : extractors) {
        SCOPED_TRACE(extractor.name);
        const QString out = dir.file(QStringLiteral("out-") + extractor.name);
        QDir().mkpath(out);
        const ToolResult result =
            runTool(extractor.program, substitute(extractor.arguments, archive, out));
        ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
        EXPECT_EQ(snapshot(out), expected);
    }

    // unzip applies the stored modes as they are: every file 0644, every folder 0755.
    const QMap<QString, int> modes = modesBelow(dir.file("out-unzip"));
    ASSERT_EQ(modes.size(), 11);
    for (auto it = modes.begin(); it != modes.end(); ++it)
        EXPECT_EQ(it.value(), expected.value(it.key()) == "dir" ? 0755 : 0644)
            << it.key().toStdString();
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
