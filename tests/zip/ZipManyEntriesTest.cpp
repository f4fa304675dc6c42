#include "archive/ArchiveEntry.h"
#include "archive/ReaderBase.h"
#include "archive/ZipReader.h"
#include "support/TestDirs.h"
#include "zip/ZipWriter.h"

#include <gtest/gtest.h>

namespace {

// More than 65,535 entries need the zip64 end record: Info-ZIP's and Kist's archives are read
// back by Kist, unzip and 7-Zip.
TEST(ZipManyEntries, SeventyThousandEntriesBothWays) {
    constexpr int kEntries = 70000;
    ScratchDir dir;
    const auto inDir = [&](const QString &command) {
        return runShell(QStringLiteral("cd %1 && %2").arg(shellQuote(dir.path()), command));
    };
    ASSERT_EQ(inDir(QStringLiteral("python3 -c \"import os; os.mkdir('many'); "
                                   "[open('many/%d' % i, 'w').close() for i in range(%1)]\"")
                        .arg(kEntries)),
              0);
    ASSERT_EQ(inDir(QStringLiteral("zip -q -r -0 tools.zip many")), 0);
    ASSERT_TRUE(
        ZipWriter::zipFilesRelativeToParent({dir.file("many")}, nullptr, dir.file("kist.zip")));
    for (const QString name : {"tools.zip", "kist.zip"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(inDir(QStringLiteral("unzip -tqq %1").arg(name)), 0);
        EXPECT_EQ(inDir(QStringLiteral("7zz t %1 > /dev/null").arg(name)), 0);
        auto root = ArchiveEntry::rootEntry();
        const auto reader = ReaderBase::create<ZipReader>(dir.file(name), root.get(), nullptr,
                                                          QString(), kAutomaticEncoding);
        ASSERT_NE(reader, nullptr);
        reader->listEntries();
        EXPECT_FALSE(reader->archiveError());
        ASSERT_EQ(root->children().size(), 1u);
        EXPECT_EQ(root->children().front()->children().size(), size_t(kEntries));
    }
}

} // namespace
