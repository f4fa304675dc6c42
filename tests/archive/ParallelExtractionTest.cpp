#include "ReaderOf.h"
#include "archive/ArchiveError.h"
#include "archive/RarReader.h"
#include "archive/SevenZipBlockDecoder.h"
#include "archive/SevenZipLayout.h"
#include "archive/SevenZipVolumes.h"
#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace ArchiveKit;

// A RAR archive that is not solid, a 7z archive of several solid blocks and a zip archive (whose
// files go to the workers in batches) are extracted by several workers, each walking the archive
// with a handle of its own. These rows check that the
// result is what one walk of the maker's own tool gives: more files than workers, a selection
// among unselected entries, entries that copy a file another worker writes, damage early and late
// in the archive, a wrong password and a cancel. A 7z archive is split by the blocks its header
// gives, which must be those 7-Zip reports (with each entry's size and checksum), and each block
// is read once (a selection in one solid block too). LZMA2 blocks cut into pieces where the
// dictionary resets give the same.

namespace {

struct Format {
    const char *archive; // made by pack, run in the sample's folder with the row's options as %1
    const char *pack;
    const char *unpack; // extracts the archive (%1) into "ref"
    MakeReader make;
    // 7z: the work is split by the layout of the solid blocks, each of which is read once.
    bool blocks;
    // 7z: the blocks are decoded in pieces.
    bool pieces = false;
};

const Format kRar = {"a.rar", "rar a -idq -ol %1 ../a.rar a.txt d z.txt",
                     "rar x -idq -psecret %1 ref/", readerOf<RarReader>, false};
const Format kZip = {"a.zip", "zip -qry %1 ../a.zip a.txt d z.txt", "unzip -q -P secret %1 -d ref",
                     readerOf<ZipReader>, false};
const Format k7z = {"a.7z", "7zz a -bso0 -bsp0 -snl %1 ../a.7z a.txt d z.txt",
                    "7zz x -bso0 -bsp0 -psecret -oref %1", readerOf<LibarchiveReader>, true};
// Without the symbolic link, whose target libarchive reads by decoding its block: LZMA2 blocks
// are then decoded in pieces, by Kist's own decoder.
const Format k7zPieces = {"a.7z",
                          "7zz a -bso0 -bsp0 -mmt=2 %1 ../a.7z a.txt d z.txt -x!d/sym.bin",
                          "7zz x -bso0 -bsp0 -oref %1",
                          readerOf<LibarchiveReader>,
                          true,
                          true};

struct Row {
    const char *label;
    const Format &format;
    const char *options;
    const char *damaged = "";  // the file whose stored bytes are flipped
    const char *selected = ""; // the node extracted; "" for the whole archive
    ArchiveErrorCode error = ArchiveErrorCode(0);
    const char *errorName = ""; // the name the error's message gives, when it is checked
    bool keepsTheRest = true;   // every other file is written; false: whatever is written is right
    const char *password = "";
};

const Row kRows[] = {
    {"RAR, references and hard links", kRar, "-m1 -oi:1 -oh"},
    {"RAR, a folder among unselected entries", kRar, "-m1", "", "d/"},
    {"RAR, encrypted data", kRar, "-m1 -psecret", "", "", {}, "", true, "secret"},
    {"RAR, damage late in the archive", kRar, "-m0", "d/f7.bin", "", ArchiveErrorCode::Damaged,
     "d/f7.bin", false},
    {"RAR, damage in a selection", kRar, "-m0", "d/f7.bin", "d/", ArchiveErrorCode::Damaged,
     "d/f7.bin", false},
    {"RAR, wrong password", kRar, "-m1 -psecret", "", "", ArchiveErrorCode::WrongPassword, "a.txt",
     false, "wrong"},
    // Batches end at a megabyte: the files of the folder fill three.
    {"zip, batches of files", kZip, "-1"},
    {"zip, a folder among unselected entries", kZip, "-1", "", "d/"},
    // Its encrypted link is left out with a warning, as ZipEncryption checks for AES.
    {"zip, encrypted data", kZip, "-1 -P secret", "", "", {}, "", false, "secret"},
    // A damaged file is left out; the other files of its batch and of the others are written.
    {"zip, damage early in the archive", kZip, "-0", "d/f1.bin", "", ArchiveErrorCode::Damaged,
     "d/f1.bin"},
    {"zip, damage late in the archive", kZip, "-0", "d/f8.bin", "", ArchiveErrorCode::Damaged,
     "d/f8.bin"},
    {"7z, a block per file", k7z, "-mx=1 -ms=off"},
    {"7z, blocks of several files", k7z, "-mx=1 -ms=3f"},
    {"7z, default level, small blocks", k7z, "-ms=2f"},
    {"7z volumes", k7z, "-mx=1 -ms=off -v100k"},
    {"7z, default level", k7z, ""},
    {"7z, header not compressed", k7z, "-mx=1 -ms=off -mhc=off"},
    // Blocks of four streams.
    {"7z, BCJ2 filter", k7z, "-mx=1 -mf=BCJ2"},
    // libarchive decrypts no 7z archive.
    {"7z, encrypted header", k7z, "-mx=1 -mhe=on -psecret", "", "",
     ArchiveErrorCode::EncryptionUnsupported, "", false},
    {"7z, a folder among unselected blocks, two threads", k7z, "-mx=1 -ms=2f -mmt=2", "", "d/"},
    {"7z, a folder of one solid block", k7z, "-mx=1 -ms=on", "", "d/"},
    // Stored: the damage hits the bytes of that one file, which the checksum catches.
    {"7z, damage late in the archive", k7z, "-mx=0 -ms=off", "d/f7.bin", "",
     ArchiveErrorCode::Archive},
    {"7z, damage early in the archive", k7z, "-mx=0 -ms=off", "d/f1.bin", "",
     ArchiveErrorCode::Archive},
    {"7z, damage in a selection", k7z, "-mx=0 -ms=off", "d/f7.bin", "d/",
     ArchiveErrorCode::Archive},
    // Blocks that reset the dictionary every megabyte.
    {"7z, pieces of a solid block", k7zPieces, "-mx=1 -ms=on"},
    {"7z, pieces of a solid block, a folder", k7zPieces, "-mx=1 -ms=on", "", "d/"},
    {"7z, a block per file, one piece each", k7zPieces, "-mx=1 -ms=off"},
    // Noise is stored as it is: the checksum catches the damage, and the pieces after it decode.
    {"7z, damage in a piece", k7zPieces, "-mx=1 -ms=on", "d/f4.bin", "", ArchiveErrorCode::Archive},
    // At the first progress report.
    {"7z, cancelled", k7z, "-mx=1 -ms=off", "", "", ArchiveErrorCode::Cancelled, "", false},
};

void PrintTo(const Row &row, std::ostream *out) {
    *out << row.label;
}

// Ten files of growing sizes in a folder, a copy, a hard link and a symbolic link to three of
// them, an empty file and an empty folder, and small files before and after the folder.
void writeSample(const QString &src) {
    writeFile(src, "a.txt", "alpha\n");
    writeFile(src, "z.txt", "zeta\n");
    writeFile(src, "d/e/empty.txt", {});
    QDir().mkpath(src + "/d/hollow");
    for (int i = 0; i < 10; ++i)
        writeFile(src, QStringLiteral("d/f%1.bin").arg(i), noise(40000 * (i + 1), unsigned(i)));
    QFile::copy(src + "/d/f3.bin", src + "/d/copy.bin");
    QFile::link("f2.bin", src + "/d/sym.bin");
    runShellIn(src, "ln d/f5.bin d/link.bin");
}

// Each entry as "path folder-number size checksum" ("-1" without data), "/" after a folder's
// path, in the order 7zz lists them, one a line.
std::string sevenZipAccount(const QString &listing) {
    QStringList account;
    QString path;
    QString sizeAndCrc;
    bool isFolder = false;
    // The archive's own properties come before the dashed line.
    const QString entries = listing.section(QStringLiteral("\n----------\n"), 1);
    for (const QString &line : entries.split('\n')) {
        if (line.startsWith("Path = ")) {
            path = line.mid(7);
            isFolder = false;
        } else if (line.startsWith("Attributes = D")) {
            isFolder = true;
        } else if (line.startsWith("Size = ")) {
            sizeAndCrc = line.mid(7);
        } else if (line.startsWith("CRC = ")) {
            sizeAndCrc += " " + line.mid(6);
        } else if (line.startsWith("Block = ")) {
            account << path + (isFolder ? "/" : "") + " " +
                           (line.size() > 8 ? line.mid(8) : QString("-1")) + " " + sizeAndCrc;
        }
    }
    return account.join('\n').toStdString();
}

std::string account(const SevenZipLayout &layout) {
    QStringList account;
    for (const auto &entry : layout.entries)
        account << entry.name + (entry.isFolder ? "/" : "") + " " + QString::number(entry.folder) +
                       " " + QString::number(entry.size) + " " +
                       (entry.crc ? QString::number(*entry.crc, 16).toUpper().rightJustified(8, '0')
                                  : QString());
    return account.join('\n').toStdString();
}

// Bytes read by this process so far: the measure of how often the archive was read.
quint64 bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = io.readLine(); !line.isEmpty(); line = io.readLine())
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toULongLong();
    return 0;
}

class ParallelExtraction : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(ParallelExtraction, GivesWhatOneWalkGives) {
    const Row &row = GetParam();
    ScratchDir dir;
    writeSample(dir.file("src"));
    ASSERT_EQ(runShellIn(dir.file("src"), QString(row.format.pack).arg(row.options)), 0);
    QString archive = dir.file(row.format.archive);
    if (!QFile::exists(archive))
        archive += ".001";
    ASSERT_EQ(runShellIn(dir.path(), QString(row.format.unpack).arg(archive)), 0);
    if (row.format.blocks) {
        // What 7-Zip reports, without the password that an encrypted header needs.
        const auto layout = SevenZipLayout::read(SevenZipVolumes(archive).files());
        const bool listed =
            runShellIn(dir.path(), "7zz l -slt -pnone " + archive + " > l.txt 2>&1") == 0;
        ASSERT_EQ(layout.has_value(), listed);
        if (layout) {
            EXPECT_EQ(account(*layout), sevenZipAccount(readFile(dir.file("l.txt"))));
            EXPECT_EQ(SevenZipBlockDecoder::create(SevenZipVolumes(archive).files(), *layout,
                                                   nullptr) != nullptr,
                      row.format.pieces);
        }
    }
    QMap<QString, QByteArray> expected = contentsBelow(dir.file("ref"));
    if (*row.damaged) {
        // Stored data holds the file's bytes as they are.
        const QByteArray bytes = readFile(archive);
        const QByteArray content = expected.take(row.damaged);
        const qsizetype at = bytes.indexOf(content.mid(content.size() / 2, 64));
        ASSERT_GE(at, 0);
        dir.write(QFileInfo(archive).fileName(), flipped(bytes, at, 16));
    }
    expected.removeIf([&](const auto &item) { return !item.key().startsWith(row.selected); });

    const auto root = ArchiveEntry::rootEntry();
    const auto reader = row.format.make(archive, root.get(), row.password);
    reader->listEntries();
    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    if (row.error == ArchiveErrorCode::Cancelled)
        reader->setProgressReceiver(&cancelling);
    const QString out = dir.file("out");
    QDir().mkpath(out);
    const quint64 before = bytesRead();
    runOnThread([&] {
        if (*row.selected)
            reader->extract(findEntry(root.get(), row.selected), out);
        else
            reader->extract(out);
    });

    const quint64 read = bytesRead() - before;
    const auto error = reader->archiveError();
    ASSERT_EQ(error ? error->code : 0, int(row.error));
    if (*row.errorName) {
        EXPECT_EQ(error->message, archiveError(row.error, row.errorName).message);
    }
    if (row.format.blocks) {
        quint64 size = 0;
        for (const QFileInfo &part : QDir(dir.path()).entryInfoList({"a.*"}, QDir::Files))
            size += quint64(part.size());
        // One walk per file would read a solid block again for each.
        EXPECT_LT(read, size * 3 / 2) << "read " << read << " of an archive of " << size;
    }
    if (row.error == ArchiveErrorCode::Cancelled) {
        EXPECT_EQ(cancelling.finished.size() + cancelling.positions.size(), 1)
            << "reports go on after the cancel";
    }
    const QMap<QString, QByteArray> written = contentsBelow(out);
    if (row.keepsTheRest) {
        EXPECT_EQ(written, expected);
        return;
    }
    for (auto it = written.cbegin(); it != written.cend(); ++it) {
        ASSERT_TRUE(expected.contains(it.key())) << it.key().toStdString() << " written";
        EXPECT_EQ(it.value(), expected[it.key()]) << it.key().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ParallelExtraction, ::testing::ValuesIn(kRows));
