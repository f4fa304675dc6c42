#include "RarFixtures.h"

#include "archive/UnrarApi.h"
#include "encoding/StringEncoding.h"
#include "util/FileAttributes.h"
#include "util/PathUtil.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <sys/stat.h>
#include <zlib.h>

using namespace RarFixtures;
using ReaderTestKit::filesBelow;
using ReaderTestKit::modeOf;
using ReaderTestKit::mtimeOf;
using ReaderTestKit::readFile;

namespace {

struct SampleFile {
    const char *name;
    QByteArray content;
    QDateTime date;
    unsigned mode;
};

// Folders, names outside ASCII, one name in two folders, an empty folder, modes, a file that
// compresses and one that does not, each with a date of its own.
const QList<SampleFile> &sampleFiles() {
    static const QList<SampleFile> files = {
        {"docs/readme.txt", "docs readme\n", localDate(2020, 1, 2, 3, 4, 6), 0644},
        {"src/readme.txt", "src readme\n", localDate(2019, 5, 6, 7, 8, 10), 0644},
        {"d/sub/naïve.txt", "naïve\n", localDate(2018, 7, 8, 9, 10, 12), 0644},
        {"日本語/ファイル.txt", "ファイル\n", localDate(2017, 9, 10, 11, 12, 14), 0644},
        {"zeros.bin", QByteArray(200000, '\0'), localDate(2016, 11, 12, 13, 14, 16), 0644},
        {"noise.bin", noise(100000, 7), localDate(2015, 12, 13, 14, 15, 18), 0644},
        {"script.sh", "#!/bin/sh\n", localDate(2014, 2, 3, 4, 5, 20), 0755},
        {"private.txt", "mine\n", localDate(2013, 4, 5, 6, 7, 22), 0640},
    };
    return files;
}

const QDateTime kSubFolderDate = localDate(2012, 6, 7, 8, 9, 24);

QStringList sampleListing() {
    QStringList paths = {"d/", "d/sub/", "docs/", "empty/", "src/", "日本語/"};
    for (const SampleFile &file : sampleFiles())
        paths.append(QString::fromUtf8(file.name));
    paths.sort();
    return paths;
}

// The sample tree as rar stores it, made with the options.
QString makeSample(const ScratchDir &dir, const QString &options = QStringLiteral("-qo-")) {
    const QString source = dir.file("src");
    for (const SampleFile &file : sampleFiles()) {
        writeFile(source, QString::fromUtf8(file.name), file.content, file.date);
        ::chmod(QFile::encodeName(source + "/" + QString::fromUtf8(file.name)).constData(),
                file.mode);
    }
    QDir().mkpath(source + "/empty");
    FileAttributes::setModifiedDate(kSubFolderDate, source + "/d/sub");
    const QString archive = dir.file("sample.rar");
    return makeRar(source, "-r " + options, archive, "*") ? archive : QString();
}

quint32 crcOf(const QByteArray &bytes) {
    return quint32(
        crc32(0, reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size())));
}

void expectExtracted(const QString &path, const SampleFile &file) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_EQ(readFile(path), file.content);
    EXPECT_EQ(mtimeOf(path), file.date.toSecsSinceEpoch());
    EXPECT_EQ(modeOf(path), expectedMode(file.mode));
}

const SampleFile &sample(const char *name) {
    for (const SampleFile &file : sampleFiles())
        if (std::strcmp(file.name, name) == 0)
            return file;
    return sampleFiles().first();
}

} // namespace

TEST(RarListing, FoldersNamesSizesCrcsAndDates) {
    ScratchDir dir;
    OpenedRar rar(makeSample(dir));
    EXPECT_EQ(rar.list(), sampleListing());
    EXPECT_EQ(rar.code(), 0);
    EXPECT_FALSE(rar.rar->hasEncryptedNames());
    for (const SampleFile &file : sampleFiles()) {
        SCOPED_TRACE(file.name);
        const ArchiveEntry *node = rar.node(QString::fromUtf8(file.name));
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(node->isLeaf());
        EXPECT_EQ(node->uncompressedSize(), quint64(file.content.size()));
        EXPECT_EQ(node->CRC(), crcOf(file.content));
        EXPECT_EQ(node->date(), file.date);
    }
    // Packed and unpacked sizes are not mixed up: zeros shrink, noise does not.
    EXPECT_LT(rar.node("zeros.bin")->compressedSize(), 200000u);
    EXPECT_GE(rar.node("noise.bin")->compressedSize(), 100000u);
    // A folder header alone (no file inside) is a folder, with the folder's own date.
    ASSERT_NE(rar.node("empty/"), nullptr);
    EXPECT_FALSE(rar.node("empty/")->isLeaf());
    EXPECT_EQ(rar.node("d/sub/")->date(), kSubFolderDate);
}

TEST(RarListing, SizesOfFourGibibytesAndMoreAreWhole) {
    ScratchDir dir;
    const QString archive = makeSample(dir);
    const quint64 huge = (quint64(5) << 30) + 12345;
    ASSERT_TRUE(editHeaders(archive, {}, {{"noise.bin", huge}}));
    OpenedRar rar(archive);
    rar.list();
    ASSERT_NE(rar.node("noise.bin"), nullptr);
    EXPECT_EQ(rar.node("noise.bin")->uncompressedSize(), huge);
    EXPECT_GT(rar.root->totalSize(), huge);
}

TEST(RarNames, ChosenEncodingThenUnicodeNameThenDetection) {
    struct Case {
        const char *label;
        QByteArray bytes;
        const wchar_t *wide;
        const char *chosen; // IANA name, or null for automatic
        QString expected;
    };
    const QByteArray cyrillic("\xD4\xE0\xE9\xEB.txt"); // "Файл.txt" in windows-1251
    const QList<Case> cases = {
        {"chosen encoding beats the Unicode name", cyrillic, L"unicode.txt", "windows-1251",
         QString::fromUtf8("Файл.txt")},
        {"automatic: the Unicode name wins", cyrillic, L"unicode.txt", nullptr, "unicode.txt"},
        {"chosen encoding that fails: the Unicode name", "\xFF\xFE.txt", L"wide.txt", "UTF-8",
         "wide.txt"},
        {"no Unicode name: the detected encoding", "na\xC3\xAFve.txt", L"", nullptr,
         QString::fromUtf8("naïve.txt")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const StringEncoding chosen =
            c.chosen ? StringEncodings::fromIANAName(c.chosen) : kAutomaticEncoding;
        OpenedRar rar(QStringLiteral("/nonexistent.rar"), {}, chosen);
        auto header = std::make_unique<RARHeaderDataEx>();
        std::memcpy(header->FileName, c.bytes.constData(), size_t(c.bytes.size()));
        std::wcscpy(header->FileNameW, c.wide);
        EXPECT_EQ(rar.rar->decodeName(*header), c.expected);
    }
}

TEST(RarNames, DetectedNamesUseSlashSeparators) {
    OpenedRar rar(QStringLiteral("/nonexistent.rar"));
    auto header = std::make_unique<RARHeaderDataEx>();
    std::strcpy(header->FileName, "dossier\\\xE9t\xE9 d\xE9j\xE0 pass\xE9.txt");
    const auto name = rar.rar->decodeName(*header);
    ASSERT_TRUE(name.has_value());
    EXPECT_TRUE(name->startsWith("dossier/")) << name->toStdString();
    EXPECT_FALSE(name->contains('\\'));
}

TEST(RarDates, MSDOSValues) {
    const auto dos = [](quint32 year, quint32 month, quint32 day, quint32 hour, quint32 minute,
                        quint32 halfSeconds) {
        return year << 25 | month << 21 | day << 16 | hour << 11 | minute << 5 | halfSeconds;
    };
    const QTimeZone utc = QTimeZone::utc();
    const struct {
        quint32 value;
        QDateTime expected;
    } cases[] = {
        {dos(41, 3, 4, 5, 6, 29), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 58), utc)},
        {dos(0, 1, 1, 0, 0, 0), QDateTime(QDate(1980, 1, 1), QTime(0, 0), utc)},
        {dos(127, 12, 31, 23, 59, 29), QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58), utc)},
        // Out-of-range fields carry over the way calendar components do.
        {dos(0, 0, 0, 0, 0, 0), QDateTime(QDate(1979, 11, 30), QTime(0, 0), utc)},
        {dos(10, 2, 28, 24, 0, 0), QDateTime(QDate(1990, 3, 1), QTime(0, 0), utc)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RarReader::dosDateTime(c.value, utc), c.expected) << c.value;
    const QDateTime local = RarReader::dosDateTime(dos(41, 3, 4, 5, 6, 29));
    EXPECT_EQ(local, QDateTime(QDate(2021, 3, 4), QTime(5, 6, 58), QTimeZone::systemTimeZone()));
}

TEST(RarExtraction, WholeArchiveKeepsTreeContentsDatesAndModes) {
    ScratchDir dir;
    OpenedRar rar(makeSample(dir));
    rar.list();
    const QString out = dir.file("out");
    QDir().mkpath(out);
    rar.rar->extract(nullptr, out);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(filesBelow(out), sampleListing());
    for (const SampleFile &file : sampleFiles())
        expectExtracted(out + "/" + QString::fromUtf8(file.name), file);
}

TEST(RarExtraction, SelectedFilesLandUnderTheirOwnNames) {
    ScratchDir dir;
    OpenedRar rar(makeSample(dir));
    rar.list();
    // The same name in two folders: each selection gets its own file.
    for (const char *name : {"d/sub/naïve.txt", "src/readme.txt", "docs/readme.txt",
                             "日本語/ファイル.txt", "script.sh", "private.txt", "zeros.bin"}) {
        SCOPED_TRACE(name);
        const QString out = dir.file("out-" + QString::number(qHash(QString::fromUtf8(name))));
        rar.extract(QString::fromUtf8(name), out);
        EXPECT_EQ(rar.code(), 0);
        const QString fileName = PathUtil::fileName(QString::fromUtf8(name));
        EXPECT_EQ(filesBelow(out), QStringList{fileName});
        expectExtracted(out + "/" + fileName, sample(name));
    }
}

TEST(RarExtraction, SelectedFoldersKeepTheirContentsAndDates) {
    ScratchDir dir;
    OpenedRar rar(makeSample(dir));
    rar.list();
    const QString out = dir.file("out");
    rar.extract("d/", out);
    rar.extract("empty/", out);
    rar.extract("日本語/", out);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(filesBelow(out), QStringList({"d/", "d/sub/", "d/sub/naïve.txt", "empty/", "日本語/",
                                            "日本語/ファイル.txt"}));
    expectExtracted(out + "/d/sub/naïve.txt", sample("d/sub/naïve.txt"));
    expectExtracted(out + "/日本語/ファイル.txt", sample("日本語/ファイル.txt"));
    // Folder dates are set once everything inside is written.
    EXPECT_EQ(mtimeOf(out + "/d/sub"), kSubFolderDate.toSecsSinceEpoch());

    const QString nested = dir.file("nested");
    rar.extract("d/sub/", nested);
    EXPECT_EQ(filesBelow(nested), QStringList({"sub/", "sub/naïve.txt"}));
}

TEST(RarExtraction, TheFirstOfTwoEntriesWithOneNameIsExtracted) {
    ScratchDir dir;
    const QString source = dir.file("src");
    writeFile(source, "one.txt", "first\n", localDate(2020, 1, 1, 0, 0, 0));
    writeFile(source, "two.txt", "second\n", localDate(2020, 1, 1, 0, 0, 0));
    const QString archive = dir.file("twice.rar");
    ASSERT_TRUE(makeRar(source, "-qo-", archive, "one.txt two.txt"));
    ASSERT_TRUE(editHeaders(archive, {{"two.txt", "one.txt"}}));
    OpenedRar rar(archive);
    EXPECT_EQ(rar.list(), QStringList{"one.txt"});
    const QString out = dir.file("out");
    rar.extract("one.txt", out);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(readFile(out + "/one.txt"), "first\n");
}

TEST(RarErrors, ArchivesThatCannotBeOpened) {
    ScratchDir dir;
    const QString garbage = dir.write("garbage.rar", "this is not an archive at all\n");
    for (const QString &path : {dir.file("missing.rar"), garbage}) {
        SCOPED_TRACE(path.toStdString());
        const int expected = int(path == garbage ? ArchiveErrorCode::NotAnArchive
                                                 : ArchiveErrorCode::FailedOpenFile);
        OpenedRar rar(path);
        EXPECT_TRUE(rar.list().isEmpty());
        EXPECT_EQ(rar.code(), expected);
        EXPECT_FALSE(rar.rar->isEncrypted());
        EXPECT_EQ(rar.code(), expected);
        const QString out = dir.file("out");
        QDir().mkpath(out);
        rar.rar->extract(out);
        EXPECT_EQ(rar.code(), expected);
        EXPECT_TRUE(filesBelow(out).isEmpty());
    }
}

TEST(RarErrors, DamagedHeaderIsReportedAndEarlierEntriesStay) {
    ScratchDir dir;
    const QString source = dir.file("src");
    writeFile(source, "first.txt", "1\n", localDate(2020, 1, 1, 0, 0, 0));
    writeFile(source, "second.txt", "2\n", localDate(2020, 1, 1, 0, 0, 0));
    const QString archive = dir.file("damaged.rar");
    ASSERT_TRUE(makeRar(source, "-qo-", archive, "first.txt second.txt"));
    QByteArray bytes = readFile(archive);
    const qsizetype at = bytes.indexOf("second.txt");
    ASSERT_GT(at, 3);
    bytes[at - 3] = char(bytes[at - 3] ^ 0x55); // the compression information of the second
    ASSERT_FALSE(dir.write("damaged.rar", bytes).isEmpty());
    OpenedRar rar(archive);
    EXPECT_TRUE(rar.list().contains("first.txt"));
    EXPECT_EQ(rar.code(), int(ArchiveErrorCode::Damaged));
}

TEST(RarErrors, DamagedDataLeavesNoFileThatLooksGood) {
    ScratchDir dir;
    const QString source = dir.file("src");
    const QByteArray content = QByteArray("payload ").repeated(1000);
    writeFile(source, "data.txt", content, localDate(2020, 1, 1, 0, 0, 0));
    const QString archive = dir.file("broken.rar");
    ASSERT_TRUE(makeRar(source, "-m0 -qo-", archive, "data.txt"));
    QByteArray bytes = readFile(archive);
    const qsizetype at = bytes.indexOf(content.left(64));
    ASSERT_GT(at, 0);
    bytes[at + 100] = 'X';
    ASSERT_FALSE(dir.write("broken.rar", bytes).isEmpty());
    OpenedRar rar(archive);
    rar.list();
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole archive" : "selected entry");
        const QString out = dir.file(whole ? "whole" : "selected");
        QDir().mkpath(out);
        rar.rar->extract(whole ? nullptr : rar.node("data.txt"), out);
        EXPECT_EQ(rar.code(), int(ArchiveErrorCode::Damaged));
        EXPECT_FALSE(QFile::exists(out + "/data.txt"));
    }
}

TEST(RarErrors, EntryNoLongerInTheArchive) {
    ScratchDir dir;
    const QString source = dir.file("src");
    writeFile(source, "old.txt", "old\n", localDate(2020, 1, 1, 0, 0, 0));
    writeFile(source, "new.txt", "new\n", localDate(2020, 1, 1, 0, 0, 0));
    const QString archive = dir.file("changing.rar");
    ASSERT_TRUE(makeRar(source, "", archive, "old.txt"));
    OpenedRar rar(archive);
    rar.list();
    ASSERT_TRUE(QFile::remove(archive));
    ASSERT_TRUE(makeRar(source, "", archive, "new.txt"));
    const QString out = dir.file("out");
    rar.extract("old.txt", out);
    ASSERT_TRUE(rar.rar->archiveError().has_value());
    EXPECT_EQ(rar.code(), 5);
    EXPECT_TRUE(rar.rar->archiveError()->message.endsWith(" old.txt"));
    EXPECT_TRUE(filesBelow(out).isEmpty());
}
