#include "archive/ArchiveError.h"
#include "archive/RarReader.h"

#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

using namespace ArchiveKit;

// The files of a non-solid archive are extracted by several workers, each walking the whole
// archive with a library handle of its own. These rows reach what the conformance rows do not:
// more files than workers, a selection among unselected entries, entries that copy a file
// another worker writes, and a failure in the middle of the archive.

namespace {

struct Row {
    const char *label;
    const char *options;  // rar's
    const char *password; // given to the reader
    const char *damaged;  // the file whose stored bytes are flipped; "" for none
    const char *selected; // the node extracted; "" for the whole archive
    ArchiveErrorCode error;
    // The name the error gives; "" for the archive's own error, or when there is none.
    const char *errorName;
    QStringList extracted; // everything below the destination
};

constexpr auto kNone = ArchiveErrorCode(0);

const QStringList kEverything = {"a.txt",      "d/",       "d/copy.bin", "d/e/",     "d/e/g.txt",
                                 "d/f0.bin",   "d/f1.bin", "d/f2.bin",   "d/f3.bin", "d/f4.bin",
                                 "d/f5.bin",   "d/f6.bin", "d/f7.bin",   "d/f8.bin", "d/f9.bin",
                                 "d/link.bin", "z.txt"};

// For the rows whose listing of the destination is not checked.
const QStringList kUnchecked;

const Row kRows[] = {
    {"whole archive, references and hard links", "-m1 -oi:1 -oh", "", "", "", kNone, "",
     kEverything},
    {"folder among unselected entries", "-m1", "", "", "d/", kNone, "", kEverything.mid(1, 15)},
    {"encrypted data", "-m1 -psecret", "secret", "", "", kNone, "", kEverything},
    {"damaged entry late in the archive", "-m0", "", "d/f7.bin", "", ArchiveErrorCode::Damaged,
     "d/f7.bin", kUnchecked},
    {"damaged entry in a selection", "-m0", "", "d/f7.bin", "d/", ArchiveErrorCode::Damaged,
     "d/f7.bin", kUnchecked},
    {"wrong password", "-m1 -psecret", "wrong", "", "", ArchiveErrorCode::WrongPassword, "a.txt",
     kUnchecked},
};

void PrintTo(const Row &row, std::ostream *out) {
    *out << row.label;
}

// The sample's files by path: ten files of growing sizes in a folder, a copy and a hard link
// of one of them, and small files before and after the folder.
std::map<QString, QByteArray> sampleFiles() {
    std::map<QString, QByteArray> files = {
        {"a.txt", "alpha\n"}, {"d/e/g.txt", "gamma\n"}, {"z.txt", "zeta\n"}};
    for (int i = 0; i < 10; ++i)
        files[QStringLiteral("d/f%1.bin").arg(i)] = noise(40000 * (i + 1), unsigned(i));
    files["d/copy.bin"] = files["d/f3.bin"];
    files["d/link.bin"] = files["d/f5.bin"];
    return files;
}

class RarParallel : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(RarParallel, ExtractsAsOneWalkWould) {
    const Row &row = GetParam();
    const auto files = sampleFiles();
    ScratchDir dir;
    for (const auto &[path, content] : files) {
        if (path != "d/link.bin")
            writeFile(dir.file("src"), path, content);
    }
    ASSERT_EQ(::link(QFile::encodeName(dir.file("src/d/f5.bin")).constData(),
                     QFile::encodeName(dir.file("src/d/link.bin")).constData()),
              0);
    const QString archive = dir.file("a.rar");
    ASSERT_TRUE(makeRar(dir.file("src"), row.options, archive, "a.txt d z.txt"));
    if (*row.damaged) {
        // Stored data holds the file's bytes as they are.
        const QByteArray bytes = readFile(archive);
        const QByteArray &content = files.at(row.damaged);
        const qsizetype at = bytes.indexOf(content.mid(content.size() / 2, 64));
        ASSERT_GE(at, 0);
        QFile out(archive);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(flipped(bytes, at, 16));
    }

    Opened<RarReader> rar(archive, QString::fromLatin1(row.password));
    rar.list();
    const QString out = dir.file("out");
    QDir().mkpath(out);
    runOnThread([&] {
        if (*row.selected)
            rar.extract(row.selected, out);
        else
            rar.reader->extract(out);
    });

    EXPECT_EQ(rar.code(), int(row.error));
    if (row.error != kNone) {
        EXPECT_EQ(rar.reader->archiveError()->message,
                  archiveError(row.error, row.errorName).message);
    }
    if (!row.extracted.isEmpty()) {
        EXPECT_EQ(filesBelow(out), row.extracted);
    }
    // Whatever was written is whole and right.
    for (const QString &path : filesBelow(out)) {
        if (!path.endsWith('/')) {
            EXPECT_EQ(readFile(out + "/" + path), files.at(path)) << path.toStdString();
        }
    }
    if (*row.damaged) {
        EXPECT_FALSE(QFile::exists(out + "/" + row.damaged));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RarParallel, ::testing::ValuesIn(kRows));
