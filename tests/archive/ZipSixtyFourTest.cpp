#include "ZipFixtures.h"

#include <gtest/gtest.h>

using namespace ZipFixtures;

namespace {

// The files of a listing, without folders.
Listing filesOf(const Listing &listing) {
    Listing files;
    for (const auto &[path, listed] : listing) {
        if (!path.ends_with('/'))
            files[path] = listed;
    }
    return files;
}

// Every entry python extracts, as a tree.
Tree pythonExtraction(const ScratchDir &dir, const QString &archive) {
    if (!runIn(dir, QStringLiteral("python3 -m zipfile -e %1 pyout").arg(archive)))
        return {};
    return readTree(dir.file(QStringLiteral("pyout")));
}

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
        ASSERT_TRUE(runIn(dir, QString::fromLatin1(row.command)));
        const QString archive = dir.file("t.zip");
        OpenedZip opened(archive);
        const Tree extracted = opened.extractAll(dir);
        EXPECT_EQ(opened.code(), 0) << opened.message().toStdString();
        EXPECT_EQ(filesOf(listTree(opened.root.get())), filesOf(pythonListing(dir, archive)));
        const Tree expected = pythonExtraction(dir, archive);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(extracted, expected);
    }
}

} // namespace
