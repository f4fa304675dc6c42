#include "support/TestDirs.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

namespace {

// More than 65,535 entries need the zip64 end record: unzip, 7-Zip and python read all of Kist's.
// (Kist reading such archives is a reader test.)
TEST(ZipManyEntries, SeventyThousandEntriesAreReadByThePeers) {
    constexpr int kEntries = 70000;
    ScratchDir dir;
    const auto inDir = [&](const QString &command) {
        return runShellIn(dir.path(), command);
    };
    ASSERT_EQ(inDir(QStringLiteral("python3 -c \"import os; os.mkdir('many'); "
                                   "[open('many/%d' % i, 'w').close() for i in range(%1)]\"")
                        .arg(kEntries)),
              0);
    ASSERT_TRUE(
        ZipWriter::zipFilesRelativeToParent({dir.file("many")}, nullptr, dir.file("kist.zip")));
    EXPECT_EQ(inDir(QStringLiteral("unzip -tqq kist.zip")), 0);
    EXPECT_EQ(inDir(QStringLiteral("7zz t kist.zip > /dev/null")), 0);
    // The folder and its files.
    EXPECT_EQ(inDir(QStringLiteral("python3 -c \"import sys, zipfile; "
                                   "sys.exit(len(zipfile.ZipFile('kist.zip').namelist()) != %1)\"")
                        .arg(kEntries + 1)),
              0);
}

} // namespace
