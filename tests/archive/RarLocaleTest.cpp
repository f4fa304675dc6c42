#include "archive/RarReader.h"
#include "support/ArchiveKit.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <langinfo.h>

// Names outside ASCII under a process started with no environment at all (no LANG, as in CI),
// where the C library's character type is plain ASCII. The parent test makes the archive and runs
// this test executable again, with an empty environment, on the child test below.

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

} // namespace

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
