#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

// Past 65,535 entries the count lives in the zip64 end record: Info-ZIP's archive lists whole.
TEST(ZipManyEntries, SeventyThousandEntriesFromInfoZipListWhole) {
    constexpr int kEntries = 70000;
    ScratchDir dir;
    ASSERT_EQ(runShell(QStringLiteral("cd %1 && python3 -c \"import os; os.mkdir('many'); "
                                      "[open('many/%d' % i, 'w').close() for i in range(%2)]\" "
                                      "&& zip -q -r -0 t.zip many")
                           .arg(shellQuote(dir.path()))
                           .arg(kEntries)),
              0);
    Opened<ZipReader> zip(dir.file("t.zip"));
    zip.list();
    EXPECT_EQ(zip.code(), 0);
    ASSERT_EQ(zip.root->children().size(), 1u);
    EXPECT_EQ(zip.root->children().front()->children().size(), size_t(kEntries));
}

} // namespace
