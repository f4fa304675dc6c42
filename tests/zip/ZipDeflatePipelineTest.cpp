// Zip creation deflates on several threads; the archive must still hold the entries in the order
// of the walk, with data that every reader decodes to the original bytes.
#include "zip/ZipDeflatePipeline.h"
#include "support/ArchiveKit.h"
#include "util/FileTree.h"
#include "zip/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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

TEST(ZipDeflatePipeline, EntriesKeepTheWalkOrderAndTheirBytes) {
    ScratchDir dir;
    // Sizes on both sides of the chunk boundaries, empty and one-byte files among them.
    const QList<qint64> sizes = {0, 1, 10240, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 5};
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        dir.write(QStringLiteral("T/random%1.bin").arg(i), noise(sizes[i], i + 1));
        dir.write(QStringLiteral("T/text%1.txt").arg(i), compressible(sizes[i], int(i)));
    }
    for (int i = 0; i < 150; ++i)
        dir.write(QStringLiteral("T/sub%1/deeper/f%2.txt").arg(i % 5).arg(i),
                  compressible(100 + i * 37, i));
    QDir().mkpath(dir.file("T/empty"));
    QFile::link(QStringLiteral("text1.txt"), dir.file("T/link"));

    const QString archive = dir.file("out.zip");
    QString message;
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({dir.file("T")}, nullptr, archive, std::nullopt,
                                                    &message))
        << message.toStdString();

    const ZipListing listing = inspectZip(archive, true);
    ASSERT_TRUE(listing.valid);
    QStringList expected;
    expectedNames(dir.file("T"), dir.path(), expected);
    EXPECT_EQ(entryNames(listing), expected);

    // The peer tool decodes every entry to the original bytes.
    const ToolResult unzip = runTool("unzip", {"-q", archive, "-d", dir.file("peer")});
    ASSERT_EQ(unzip.exitCode, 0) << unzip.output.toStdString();
    EXPECT_EQ(contentsBelow(dir.file("peer/T")), contentsBelow(dir.file("T")));
}

TEST(ZipDeflatePipeline, ChunkedDataStaysCompressed) {
    ScratchDir dir;
    const QString big = dir.write("big.txt", compressible(5 * kChunk + 123, 9));
    const QString archive = dir.file("big.zip");
    ASSERT_TRUE(ZipWriter::zipFilesRelativeToParent({big}, nullptr, archive));
    const ToolResult test = runTool("unzip", {"-tq", archive});
    EXPECT_EQ(test.exitCode, 0) << test.output.toStdString();
    // Chunks deflated apart cost little: far below the input, near one deflate pass over it.
    const QByteArray whole = compressible(5 * kChunk + 123, 9);
    EXPECT_LT(QFileInfo(archive).size(), qCompress(whole, 6).size() * 11 / 10 + 200);
}
