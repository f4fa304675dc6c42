#include "support/ArchiveKit.h"
#include "zip/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ArchiveKit;

// unzip, 7-Zip and bsdtar extract what the writer wrote without a warning (each answers one with
// a non-zero exit) and as it was on disk.
TEST(ZipPeerTools, ExtractedContentsAreIdentical) {
    ScratchDir dir;
    const QString source = dir.file("source");
    QDir().mkpath(source);
    makeSampleTree(source);
    const QString archive = dir.file("roundtrip.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({source + "/Photos"}, nullptr, archive));
    const QMap<QString, QByteArray> expected = contentsBelow(source);
    ASSERT_EQ(expected.size(), 13);

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

    // unzip applies the stored modes as they are: every file 0644, every folder 0755.
    for (const QString &path : filesBelow(dir.file("out-unzip"))) {
        if (!expected.value(path).startsWith("-> ")) {
            EXPECT_EQ(modeOf(dir.file("out-unzip/" + path)), path.endsWith('/') ? 0755u : 0644u)
                << path.toStdString();
        }
    }
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
