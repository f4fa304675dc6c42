#include "CliRunner.h"
#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

// Selected entries that share a name are all written: the later ones under the next free name.

using ArchiveKit::readFile;

TEST(KistCliSelection, EntriesOfOneNameAreAllKept) {
    const struct {
        const char *archive;
        const char *command; // run in the source folder; %1 is the archive
    } rows[] = {
        {"s.zip", "zip -qr %1 a b c"},       {"s.tar", "tar -cf %1 a b c"},
        {"s.tar.gz", "tar -czf %1 a b c"},   {"s.7z", "7zz a -bso0 -bsp0 %1 a b c"},
        {"s.rar", "rar a -idq -r %1 a b c"},
    };
    ScratchDir dir;
    dir.write("src/a/x.txt", "from a");
    dir.write("src/b/x.txt", "from b");
    dir.write("src/c/x.txt/inner.txt", "a folder of that name");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.archive);
        const QString archive = dir.file(row.archive);
        ASSERT_EQ(
            runShellIn(dir.file("src"), QString::fromLatin1(row.command).arg(shellQuote(archive))),
            0);
        const QString out = dir.file(QStringLiteral("out-%1").arg(row.archive));
        const CliResult result =
            runCli({"extract", "-o", out, archive, "a/x.txt", "b/x.txt", "c/x.txt/"});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QString placed = QString::fromUtf8(result.out.trimmed());
        EXPECT_EQ(namesIn(placed), QStringList({"x 2.txt", "x.txt", "x.txt 2"}));
        EXPECT_EQ(readFile(placed + "/x.txt"), "from a");
        EXPECT_EQ(readFile(placed + "/x 2.txt"), "from b");
        EXPECT_EQ(readFile(placed + "/x.txt 2/inner.txt"), "a folder of that name");
    }
}
