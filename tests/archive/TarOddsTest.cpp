#include "archive/TarReader.h"

#include "support/ArchiveKit.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

struct TarCase {
    const char *label;
    // Makes t.tar from a.txt and d/b.txt.
    const char *command;
};

// Valid tars that GNU tar and bsdtar read without complaint.
TEST(TarOdds, ReadAsTarItselfDoes) {
    const TarCase cases[] = {
        {"bytes after the end-of-archive blocks",
         "tar cf t.tar a.txt d && head -c 3000 /dev/urandom >> t.tar"},
        {"bsdtar, text after the end", "bsdtar cf t.tar a.txt d && echo trailing >> t.tar"},
        {"no end-of-archive blocks", "tar cf t.tar a.txt d && truncate -s 2560 t.tar"},
        {"v7 form, folders by trailing slash", "tar --format=v7 -cf t.tar a.txt d"},
    };
    for (const TarCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        dir.write("a.txt", "alpha\n");
        dir.write("d/b.txt", "beta\n");
        ASSERT_EQ(runShellIn(dir.path(), row.command), 0);
        ASSERT_EQ(runShellIn(dir.path(), "mkdir gnu && tar xf t.tar -C gnu 2>/dev/null"), 0);
        auto root = ArchiveEntry::rootEntry();
        auto reader =
            ReaderBase::create<TarReader>(dir.file("t.tar"), root.get(), nullptr, QString());
        reader->listEntries();
        EXPECT_FALSE(reader->archiveError());
        EXPECT_EQ(listedPaths(root.get()), (QStringList{"a.txt", "d/", "d/b.txt"}));
        reader->extract(dir.file("out"));
        EXPECT_FALSE(reader->archiveError());
        EXPECT_EQ(filesBelow(dir.file("out")), filesBelow(dir.file("gnu")));
        EXPECT_EQ(readFile(dir.file("out/d/b.txt")), "beta\n");
    }
}

} // namespace
