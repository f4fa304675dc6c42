#include "support/ArchiveKit.h"
#include "util/FileTree.h"
#include "zip/ZipDeflatePipeline.h"
#include "zip/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ArchiveKit;

namespace {

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
