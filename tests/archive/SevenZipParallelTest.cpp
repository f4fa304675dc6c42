#include "archive/ArchiveError.h"
#include "archive/LibarchiveReader.h"

#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace ArchiveKit;

// A 7z archive of several solid blocks is extracted by several workers, each decoding its own
// blocks. These rows check what one walk would give: the tree 7zz extracts, a selection among
// unselected blocks, a damaged block among good ones, and a cancel.

namespace {

struct Row {
    const char *label;
    const char *options;  // 7zz's
    const char *damaged;  // the file whose stored bytes are flipped; "" for none
    const char *selected; // the node extracted; "" for the whole archive
    ArchiveErrorCode error;
};

constexpr auto kNone = ArchiveErrorCode(0);

const Row kRows[] = {
    {"a block per file", "-mx=1 -ms=off", "", "", kNone},
    {"blocks of several files", "-mx=1 -ms=3f", "", "", kNone},
    {"default level, small blocks", "-ms=2f", "", "", kNone},
    {"volumes", "-mx=1 -ms=off -v100k", "", "", kNone},
    {"folder among unselected blocks", "-mx=1 -ms=2f", "", "d/", kNone},
    // Stored: the damage hits the bytes of that one file, which the checksum catches.
    {"damaged block late in the archive", "-mx=0 -ms=off", "d/f7.bin", "",
     ArchiveErrorCode::Archive},
    {"damaged block early in the archive", "-mx=0 -ms=off", "d/f1.bin", "",
     ArchiveErrorCode::Archive},
    {"damaged block in a selection", "-mx=0 -ms=off", "d/f7.bin", "d/", ArchiveErrorCode::Archive},
};

void PrintTo(const Row &row, std::ostream *out) {
    *out << row.label;
}

// The sample in "src": ten files of growing sizes in a folder, with an empty file, an empty
// folder, a symbolic link and small files before and after.
void writeSample(const QString &src) {
    writeFile(src, "a.txt", "alpha\n");
    writeFile(src, "z.txt", "zeta\n");
    writeFile(src, "d/e/empty.txt", {});
    QDir().mkpath(src + "/d/hollow");
    for (int i = 0; i < 10; ++i)
        writeFile(src, QStringLiteral("d/f%1.bin").arg(i), noise(30000 * (i + 1), unsigned(i)));
    QFile::link("f2.bin", src + "/d/link.bin");
}

QString makeArchive(const ScratchDir &dir, const char *options) {
    writeSample(dir.file("src"));
    if (runShellIn(
            dir.file("src"),
            QStringLiteral("7zz a -bso0 -bsp0 -snl %1 ../a.7z a.txt d z.txt").arg(options)) != 0)
        return {};
    return QFile::exists(dir.file("a.7z")) ? dir.file("a.7z") : dir.file("a.7z.001");
}

class SevenZipParallel : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(SevenZipParallel, ExtractsAsOneWalkWould) {
    const Row &row = GetParam();
    ScratchDir dir;
    const QString archive = makeArchive(dir, row.options);
    ASSERT_FALSE(archive.isEmpty());
    // 7-Zip's own extraction of the undamaged archive is the reference.
    ASSERT_EQ(runShellIn(dir.path(), "7zz x -bso0 -bsp0 -oref " + archive), 0);
    QMap<QString, QByteArray> expected = contentsBelow(dir.file("ref"));
    if (*row.damaged) {
        const QByteArray bytes = readFile(archive);
        const QByteArray content = readFile(dir.file("src/") + row.damaged);
        const qsizetype at = bytes.indexOf(content.mid(content.size() / 2, 64));
        ASSERT_GE(at, 0);
        QFile out(archive);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(flipped(bytes, at, 16));
        expected.remove(row.damaged);
    }

    Opened<LibarchiveReader> sevenZip(archive);
    sevenZip.list();
    const QString out = dir.file("out");
    QDir().mkpath(out);
    runOnThread([&] {
        if (*row.selected)
            sevenZip.extract(row.selected, out);
        else
            sevenZip.reader->extract(out);
    });

    EXPECT_EQ(sevenZip.code(), int(row.error));
    QMap<QString, QByteArray> wanted;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (it.key().startsWith(row.selected))
            wanted.insert(it.key(), it.value());
    }
    EXPECT_EQ(contentsBelow(out), wanted);
}

INSTANTIATE_TEST_SUITE_P(Rows, SevenZipParallel, ::testing::ValuesIn(kRows));

TEST(SevenZipParallelCancel, StopsEveryWorkerAndKeepsNoWrongFile) {
    ScratchDir dir;
    const QString archive = makeArchive(dir, "-mx=1 -ms=off");
    ASSERT_FALSE(archive.isEmpty());
    Opened<LibarchiveReader> sevenZip(archive);
    sevenZip.list();
    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    sevenZip.reader->setProgressReceiver(&cancelling);
    const QString out = dir.file("out");
    QDir().mkpath(out);
    runOnThread([&] { sevenZip.reader->extract(out); });
    EXPECT_EQ(sevenZip.code(), int(ArchiveErrorCode::Cancelled));
    // Reports stop at the cancel, as they do in one walk.
    EXPECT_EQ(cancelling.finished.size() + cancelling.positions.size(), 1);
    // Whatever was kept is whole and right.
    const auto written = contentsBelow(out);
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        if (!it.key().endsWith('/')) {
            EXPECT_EQ(it.value(), readFile(dir.file("src/") + it.key())) << it.key().toStdString();
        }
    }
}
