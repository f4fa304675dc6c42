#include "archive/ArchiveError.h"
#include "archive/EntryTreeWatcher.h"
#include "archive/RarReader.h"
#include "encoding/StringEncoding.h"
#include "support/ArchiveKit.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <langinfo.h>

using namespace ArchiveKit;
using OpenedRar = Opened<RarReader>;

namespace {

const QString kArchiveArgument = QStringLiteral("--kist-rar-archive=");
const QStringList kListing = {"d/", "d/sub/", "d/sub/naïve.txt", "日本語/", "日本語/ファイル.txt"};

// The archive the parent handed to this process, if it is the child.
QString childArchive() {
    for (const QString &argument : QCoreApplication::arguments())
        if (argument.startsWith(kArchiveArgument))
            return argument.mid(kArchiveArgument.size());
    return QString();
}

bool isUtf8Ctype() {
    return QByteArray(::nl_langinfo(CODESET)).toUpper().replace("-", "") == "UTF8";
}

// Cancels the listing from its first added entry, as a window's Stop would.
class CancelAtFirstEntry : public EntryTreeWatcher {
public:
    void entryAdded() override { QThread::currentThread()->requestInterruption(); }
    void clearing() override {}
};

} // namespace

// Names outside ASCII under a process started with no environment at all (no LANG, as in CI),
// where the C library's character type is plain ASCII. The parent test makes the archive and runs
// this test executable again, with an empty environment, on the child test below.

TEST(RarLocale, NamesStayWholeInAProcessWithoutLang) {
    ScratchDir dir;
    const QString source = dir.file("src");
    writeFile(source, "d/sub/naïve.txt", "naïve\n", localDate(2020, 1, 1, 0, 0, 0));
    writeFile(source, "日本語/ファイル.txt", "ファイル\n", localDate(2020, 1, 1, 0, 0, 0));
    const QString archive = dir.file("names.rar");
    ASSERT_TRUE(makeRar(source, "-r", archive, "d 日本語"));

    // An empty environment.
    const ToolResult child =
        runTool("env", {"-i", QCoreApplication::applicationFilePath(),
                        "--gtest_filter=RarLocaleChild.DISABLED_ReadsNamesUnderTheCLocale",
                        "--gtest_also_run_disabled_tests", kArchiveArgument + archive});
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
    EXPECT_TRUE(child.output.contains("[  PASSED  ] 1 test.")) << child.output.toStdString();
}

TEST(RarLocaleChild, DISABLED_ReadsNamesUnderTheCLocale) {
    const QString archive = childArchive();
    ASSERT_FALSE(archive.isEmpty());
    // The conditions the parent meant to create.
    ASSERT_EQ(std::getenv("LANG"), nullptr);
    ASSERT_EQ(std::getenv("LC_ALL"), nullptr);
    ASSERT_FALSE(isUtf8Ctype());

    OpenedRar rar(archive);
    EXPECT_EQ(rar.list(), kListing);
    EXPECT_EQ(rar.code(), 0);
    const QString whole = QDir::tempPath() + "/whole";
    QDir().mkpath(whole);
    rar.reader->extract(whole);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(filesBelow(whole), kListing);
    const QString single = QDir::tempPath() + "/single";
    rar.extract("日本語/ファイル.txt", single);
    EXPECT_EQ(rar.code(), 0);
    EXPECT_EQ(readFile(single + "/ファイル.txt"), "ファイル\n");
    // The process keeps its own locale.
    EXPECT_FALSE(isUtf8Ctype());
}

// RAR4 archives made on DOS and Windows store names as code-page bytes unless a Unicode form was
// added; they are detected or decoded in the chosen encoding like zip names, listed and written.
TEST(RarNames, LegacyNamesAreDetectedOrDecodedAsChosen) {
    const struct {
        const char *label;
        const char *entries; // python: (name bytes, text or None for a folder) pairs
        int host;
        const char *chosen;   // IANA name, or null for automatic
        const char *expected; // the listing, joined by ", "
    } rows[] = {
        {"Windows-1251 detected",
         "[(n.encode('cp1251'), t) for n, t in [('Документы', None), ('Документы\\отчёт.txt', "
         "'1'), ('Фото\\лето.jpg', '2'), ('Приложение\\счёт.xls', '3')]]",
         2, nullptr,
         "Документы/, Документы/отчёт.txt, Приложение/, Приложение/счёт.xls, Фото/, "
         "Фото/лето.jpg"},
        {"Shift_JIS detected",
         "[(n.encode('shift_jis'), '1') for n in ['報告書.txt', '写真/旅行.jpg', "
         "'会議の議事録.docx']]",
         2, nullptr, "会議の議事録.docx, 写真/, 写真/旅行.jpg, 報告書.txt"},
        {"DOS code page 866 chosen", "[('Отчёт.txt'.encode('cp866'), '1')]", 0, "IBM866",
         "Отчёт.txt"},
        {"ASCII beside UTF-8 bytes", "[(b'plain.txt', '1'), ('naïve.txt'.encode(), '2')]", 3,
         nullptr, "naïve.txt, plain.txt"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        ASSERT_EQ(runPython(QStringLiteral("from archive_maker import *\nrar4('t.rar', %1, %2)\n")
                                .arg(row.host)
                                .arg(QString::fromUtf8(row.entries)),
                            dir.path()),
                  0);
        const StringEncoding chosen =
            row.chosen ? StringEncodings::fromIANAName(row.chosen) : kAutomaticEncoding;
        const QStringList expected = listOf(row.expected);
        OpenedRar rar(dir.file("t.rar"), {}, chosen);
        EXPECT_EQ(rar.list(), expected);
        rar.reader->extract(dir.file("out"));
        EXPECT_EQ(rar.code(), 0);
        EXPECT_EQ(filesBelow(dir.file("out")), expected);
    }
}

// A window shows a big RAR while its header walk goes on: entries are added once the names that
// tell the encoding (the first mebibyte) are read, not after the last header.
TEST(RarListing, AddsEntriesBeforeTheWalkEnds) {
    constexpr int kFiles = 6000;
    // Names of 252 bytes ("d/" and 250 digits): about 4,200 of them fill the mebibyte.
    constexpr int kNamesForDetection = 1048576 / 252 + 1;
    ScratchDir dir;
    const QString source = dir.file("src");
    for (int i = 0; i < kFiles; ++i)
        writeFile(source, QStringLiteral("d/%1").arg(i, 250, 10, QLatin1Char('0')), "x");
    const QString archive = dir.file("many.rar");
    ASSERT_TRUE(makeRar(source, "-r -m0", archive, "d"));

    OpenedRar rar(archive);
    CancelAtFirstEntry cancel;
    rar.root->setWatcher(&cancel);
    std::unique_ptr<QThread> listing(QThread::create([&] { rar.reader->listEntries(); }));
    listing->start();
    listing->wait();
    rar.root->setWatcher(nullptr);

    const qint64 listed = rar.root->descendantCount();
    EXPECT_GE(listed, kNamesForDetection) << "the names read for detection are all shown";
    EXPECT_LT(listed, kFiles) << "the walk stopped at the cancel, before its end";
    EXPECT_EQ(rar.code(), int(ArchiveErrorCode::Cancelled));
}
