#include "archive/RarReader.h"
#include "support/ArchiveKit.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace ArchiveKit;

struct LinkCase {
    const char *label;
    // Makes the link "link" in the source folder (which holds file.txt).
    const char *command;
    // The target listing shows; null for an entry that is no link.
    const char *target;
};

// Listing shows a link's target, as it does for tar, zip and 7z links.
TEST(RarLinkTarget, ListingShowsWhereLinksPoint) {
    const LinkCase cases[] = {
        {"link to a file", "ln -s file.txt link", "file.txt"},
        {"link into a folder", "mkdir -p d && ln -s d/../file.txt link", "d/../file.txt"},
        {"dangling link", "ln -s nowhere link", "nowhere"},
        {"regular file", "echo x > link", nullptr},
    };
    for (const LinkCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        writeFile(dir.file("src"), "file.txt", "data\n", localDate(2021, 1, 2, 3, 4, 6));
        ASSERT_EQ(runShellIn(dir.file("src"), row.command), 0);
        ASSERT_TRUE(makeRar(dir.file("src"), "-ol", dir.file("l.rar"), "file.txt link"));
        Opened<RarReader> rar(dir.file("l.rar"));
        rar.list();
        EXPECT_EQ(rar.code(), 0);
        ASSERT_NE(rar.node("link"), nullptr);
        const QString target = rar.node("link")->linkTarget();
        EXPECT_EQ(target.isNull(), row.target == nullptr);
        EXPECT_EQ(target, QString::fromLatin1(row.target));
        EXPECT_TRUE(rar.node("file.txt")->linkTarget().isNull());
    }
}

} // namespace
