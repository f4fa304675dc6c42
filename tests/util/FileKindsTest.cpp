#include "util/FileKinds.h"

#include <gtest/gtest.h>

TEST(FileKinds, OnlyTheLastExtensionCountsAndCaseDoesNot) {
    struct Case {
        QString path;
        std::optional<ArchiveKind> archive;
        bool text;
        bool picture;
    };
    const Case cases[] = {
        {"a.zip", ArchiveKind::Zip, false, false},
        {"a.CBZ", ArchiveKind::Zip, false, false},
        {"a.part1.rar", ArchiveKind::Rar, false, false},
        {"a.cbr", ArchiveKind::Rar, false, false},
        {"x/backup.tar.gz", ArchiveKind::GZip, false, false},
        {"a.gzip", ArchiveKind::GZip, false, false},
        {"a.tgz", ArchiveKind::GZip, false, false},
        {"a.tar", ArchiveKind::Tar, false, false},
        {"a.bz2", ArchiveKind::BZip2, false, false},
        {"a.bz", ArchiveKind::BZip2, false, false},
        {"a.tbz", ArchiveKind::BZip2, false, false},
        {"a.TBZ2", ArchiveKind::BZip2, false, false},
        {"a.7z", ArchiveKind::SevenZip, false, false},
        {"a.xz", std::nullopt, false, false},
        {"zip", std::nullopt, false, false},
        {"archive.", std::nullopt, false, false},
        {"/a/READ.TXT", std::nullopt, true, false},
        {"notes.md", std::nullopt, true, false},
        {"photo.JPG", std::nullopt, false, true},
        {"scan.tiff", std::nullopt, true, true},
        {"scan.tif", std::nullopt, false, true},
        {"page.pdf", std::nullopt, false, false},
        {QString(), std::nullopt, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(FileKinds::archiveKind(c.path), c.archive);
        EXPECT_EQ(FileKinds::isArchive(c.path), c.archive.has_value());
        EXPECT_EQ(FileKinds::isText(c.path), c.text);
        EXPECT_EQ(FileKinds::isPicture(c.path), c.picture);
    }
    EXPECT_EQ(FileKinds::archiveExtensions(),
              QStringList({"zip", "cbz", "rar", "cbr", "gz", "gzip", "tgz", "tar", "bz2", "bz",
                           "tbz", "tbz2", "7z"}));
    EXPECT_EQ(FileKinds::kindName(ArchiveKind::BZip2), "bzip2");
}
