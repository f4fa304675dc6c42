// Whole-archive extraction writes regular entries on several threads; these tests hold it to
// what one thread writing the entries in order gives.
#include "ZipFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

using namespace ZipFixtures;

namespace {

// Many entries of every kind: sizes around the copy buffer, stored and deflated, several modes,
// a link among the files and an explicit folder entry.
const char *const kManyEntries = R"PY(
import random
rng = random.Random(7)
with zipfile.ZipFile('many.zip', 'w') as z:
    add(z, 'top/', mode=0o40755)
    for i in range(300):
        size = rng.choice([0, 1, 4095, 4096, 70000, 262144, 262145, 600000])
        data = bytes(rng.getrandbits(8) for _ in range(min(size, 64))) * (size // 64 + 1)
        method = zipfile.ZIP_STORED if i % 7 == 0 else zipfile.ZIP_DEFLATED
        mode = [0o100644, 0o100755, 0o100600][i % 3]
        add(z, f'top/d{i % 13}/f{i}.bin', data[:size], mode=mode, method=method,
            date=(2003, 1 + i % 12, 1 + i % 28, 10, 20, 30))
        if i == 150:
            add(z, 'top/link', b'd1/f1.bin', mode=0o120777)
)PY";

struct Attributes {
    unsigned mode = 0;
    qint64 mtime = 0;
    bool operator==(const Attributes &) const = default;
};

std::map<std::string, Attributes> attributesBelow(const QString &folder) {
    std::map<std::string, Attributes> out;
    const QDir base(folder);
    for (const auto &[path, content] : readTree(folder)) {
        const QFileInfo info(base.filePath(QString::fromStdString(path)));
        if (info.isSymLink() || info.isDir())
            continue;
        out[path] = {unsigned(info.permissions()), info.lastModified().toSecsSinceEpoch()};
    }
    return out;
}

// A zip of many files, with the entry at that index damaged: its data or its local header.
QString damagedZip(const ScratchDir &dir, int damaged, bool header) {
    const QString script = QStringLiteral(R"PY(
import sys
with zipfile.ZipFile('d.zip', 'w') as z:
    for i in range(60):
        add(z, f'f{i:02d}.txt', (b'line ' + str(i).encode() + b'\n') * 5000)
with zipfile.ZipFile('d.zip') as z:
    info = z.infolist()[%1]
with open('d.zip', 'r+b') as f:
    f.seek(info.header_offset)
    local = f.read(30)
    if %2:
        f.seek(info.header_offset)
        f.write(b'XXXX')
    else:
        start = info.header_offset + 30 + struct.unpack('<H', local[26:28])[0] + struct.unpack('<H', local[28:30])[0]
        f.seek(start + info.compress_size // 2)
        f.write(b'\xff' * 16)
)PY")
                               .arg(damaged)
                               .arg(header ? 1 : 0);
    EXPECT_TRUE(runPython(dir, script));
    return dir.file("d.zip");
}

} // namespace

TEST(ZipParallelExtraction, ManyEntriesEqualASerialExtraction) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, kManyEntries));
    OpenedZip parallel(dir.file("many.zip"));
    const Tree whole = parallel.extractAll(dir, "parallel");
    ASSERT_EQ(parallel.code(), 0) << parallel.message().toStdString();

    // Extracting a node walks the tree one entry at a time: the serial reference.
    OpenedZip serial(dir.file("many.zip"));
    serial.zip->listEntries();
    serial.zip->extract(findNode(serial.root.get(), "top/"), dir.file("serial"));
    ASSERT_EQ(serial.code(), 0);
    EXPECT_EQ(whole, readTree(dir.file("serial")));
    EXPECT_EQ(attributesBelow(dir.file("parallel")), attributesBelow(dir.file("serial")));
    EXPECT_EQ(regularFiles(whole).size(), 300u);
    EXPECT_EQ(whole.at("top/link"), "-> d1/f1.bin");

    // And the peer tool's extraction holds the same bytes.
    ASSERT_TRUE(runIn(dir, "unzip -q many.zip -d peer"));
    EXPECT_EQ(whole, readTree(dir.file("peer")));
}

TEST(ZipParallelExtraction, EntriesMeetingEarlierOnesLandAsInOrder) {
    struct Case {
        const char *label;
        const char *entries;
        int code;
        Tree expected;
    };
    const std::vector<Case> cases = {
        {"a later duplicate takes a free name",
         "add(z, 'd/a.txt', b'first'); add(z, 'd/b.txt', b'b'); add(z, 'd/a.txt', b'second')",
         0,
         {{"d/", ""}, {"d/a.txt", "first"}, {"d/a 2.txt", "second"}, {"d/b.txt", "b"}}},
        {"a file cannot hold an entry",
         "add(z, 'x', b'file'); add(z, 'x/y', b'inner'); add(z, 'z', b'after')",
         5,
         {{"x", "file"}, {"z", "after"}}},
        {"a folder entry after a file of its name",
         "add(z, 'p', b'file'); add(z, 'p/', mode=0o40755); add(z, 'q', b'after')",
         5,
         {{"p", "file"}, {"q", "after"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        ASSERT_TRUE(runPython(dir, QStringLiteral("with zipfile.ZipFile('c.zip', 'w') as z:\n"
                                                  "    %1\n")
                                       .arg(QLatin1String(c.entries))));
        OpenedZip reader(dir.file("c.zip"));
        EXPECT_EQ(reader.extractAll(dir), c.expected);
        EXPECT_EQ(reader.code(), c.code);
    }
}

TEST(ZipParallelExtraction, DamagedDataIsReportedAndTheOtherFilesWritten) {
    ScratchDir dir;
    OpenedZip reader(damagedZip(dir, 30, false));
    const Tree tree = reader.extractAll(dir);
    EXPECT_EQ(reader.code(), int(ArchiveErrorCode::Damaged));
    EXPECT_TRUE(reader.message().startsWith("f30.txt is damaged"));
    EXPECT_EQ(tree.count("f30.txt"), 0u);
    EXPECT_EQ(regularFiles(tree).size(), 59u);
}

TEST(ZipParallelExtraction, AnUnreadableEntryStopsTheWork) {
    ScratchDir dir;
    OpenedZip reader(damagedZip(dir, 30, true));
    const Tree tree = reader.extractAll(dir);
    EXPECT_EQ(reader.code(), 4);
    EXPECT_EQ(tree.count("f30.txt"), 0u);
    // Everything before it was handed out already and is complete.
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(
            tree.count(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')).toStdString()),
            1u);
    EXPECT_LT(regularFiles(tree).size(), 60u);
}

TEST(ZipParallelExtraction, CancelStopsEveryThreadPromptly) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, R"PY(
import random
rng = random.Random(3)
with zipfile.ZipFile('c.zip', 'w') as z:
    for i in range(64):
        add(z, f'f{i}.bin', rng.randbytes(1 << 20), method=zipfile.ZIP_STORED)
)PY"));
    OpenedZip reader(dir.file("c.zip"));
    reader.zip->listEntries();
    ProgressRecorder progress;
    progress.cancelOnReport = true;
    reader.zip->setProgressReceiver(&progress);
    qint64 elapsed = 0;
    runOnWorkerThread([&] {
        QElapsedTimer timer;
        timer.start();
        reader.zip->extract(nullptr, dir.file("out"));
        elapsed = timer.elapsed();
    });
    EXPECT_EQ(reader.code(), 100);
    EXPECT_EQ(progress.reports.size(), 1);
    // The first report comes after 4 MB; far less than the 64 files are written by then.
    EXPECT_LT(regularFiles(readTree(dir.file("out"))).size(), 32u);
    EXPECT_LT(elapsed, 5000);
}
