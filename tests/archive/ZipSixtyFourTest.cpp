#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

struct ReadCase {
    const char *label;
    // Makes t.zip from the files a.txt and big.bin.
    const char *command;
};

// Zip64 records from the tools that write them when nothing needs them: sizes and offsets
// left at 0xFFFFFFFF in the central directory, held in the 0x0001 extra field.
TEST(ZipSixtyFour, ReadsWhatToolsWrite) {
    const ReadCase cases[] = {
        {"zip -fz", "zip -q -fz t.zip a.txt big.bin"},
        {"zip from stdin", "cat big.bin | zip -q t.zip -"},
        {"zip -fz from stdin", "cat a.txt | zip -q -fz t.zip -"},
        {"self-extractor stub", "zip -q z.zip a.txt big.bin && head -c 5000 /dev/urandom > "
                                "t.zip && cat z.zip >> t.zip && zip -q -A t.zip"},
        {"self-extractor stub, zip64 forced",
         "head -c 5000 /dev/urandom > t.zip && python3 -c \"import zipfile; z = "
         "zipfile.ZipFile('t.zip', 'a'); [z.open(n, 'w', force_zip64=True).write(open(n, "
         "'rb').read()) for n in ('a.txt', 'big.bin')]; z.close()\""},
        {"python, zip64 forced",
         "python3 -c \"import zipfile; z = zipfile.ZipFile('t.zip', 'w', zipfile.ZIP_DEFLATED); "
         "[z.open(n, 'w', force_zip64=True).write(open(n, 'rb').read()) for n in ('a.txt', "
         "'big.bin')]; z.close()\""},
    };
    for (const ReadCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        QByteArray big;
        for (int i = 0; i < 200000; ++i)
            big += QByteArray::number(i * 7919 % 100003);
        dir.write("big.bin", big);
        ASSERT_EQ(runShellIn(dir.path(), row.command), 0);
        const QString archive = dir.file("t.zip");
        const ZipListing python = inspectZip(archive);
        ASSERT_TRUE(python.valid);
        Opened<ZipReader> opened(archive);
        opened.list();
        for (const ZipItem &item : python.items) {
            const ArchiveEntry *entry = opened.node(item.name);
            ASSERT_NE(entry, nullptr) << item.name.toStdString();
            EXPECT_EQ(entry->uncompressedSize(), item.size) << item.name.toStdString();
        }
        QDir().mkpath(dir.file("out"));
        opened.reader->extract(dir.file("out"));
        EXPECT_EQ(opened.code(), 0);
        ASSERT_EQ(runShellIn(dir.path(), "python3 -m zipfile -e t.zip pyout"), 0);
        EXPECT_EQ(contentsBelow(dir.file("out")), contentsBelow(dir.file("pyout")));
    }
}

} // namespace
