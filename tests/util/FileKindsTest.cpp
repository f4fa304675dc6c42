#include "util/FileKinds.h"

#include <gtest/gtest.h>

TEST(FileKinds, OnlyTheLastExtensionCountsAndCaseDoesNot) {
    EXPECT_TRUE(FileKinds::isText("/a/READ.TXT"));
    EXPECT_TRUE(FileKinds::isGZ("x/backup.tar.gz"));
    EXPECT_TRUE(FileKinds::isArchive("x/backup.tar.gz"));
    EXPECT_FALSE(FileKinds::isTar("x/backup.tar.gz"));
    EXPECT_TRUE(FileKinds::isBZ2("a.TBZ2"));
    EXPECT_TRUE(FileKinds::isPicture("photo.JPG"));
    EXPECT_FALSE(FileKinds::isArchive("zip"));
    EXPECT_FALSE(FileKinds::isArchive("archive."));
    EXPECT_FALSE(FileKinds::isText(QString()));
}

TEST(FileKinds, TiffIsBothPictureAndText) {
    EXPECT_TRUE(FileKinds::isPicture("scan.tiff"));
    EXPECT_TRUE(FileKinds::isText("scan.tiff"));
    EXPECT_TRUE(FileKinds::isSystemPreviewByExtension("png"));
    EXPECT_FALSE(FileKinds::isSystemPreviewByExtension("PNG"));
}

TEST(FileKinds, ArchiveSetsAndKinds) {
    EXPECT_EQ(FileKinds::archiveExtension().size(), 13);
    EXPECT_EQ(FileKinds::textExtension().size(), 53);
    const QList<QPair<QString, ArchiveKind>> cases = {
        {"a.zip", ArchiveKind::Zip},   {"a.CBZ", ArchiveKind::Zip},
        {"a.cbr", ArchiveKind::Rar},   {"a.part1.rar", ArchiveKind::Rar},
        {"a.tgz", ArchiveKind::GZip},  {"a.gzip", ArchiveKind::GZip},
        {"a.tar", ArchiveKind::Tar},   {"a.bz", ArchiveKind::BZip2},
        {"a.tbz", ArchiveKind::BZip2}, {"a.7z", ArchiveKind::SevenZip},
    };
    for (const auto &[path, kind] : cases) {
        ASSERT_TRUE(FileKinds::archiveKind(path).has_value()) << path.toStdString();
        EXPECT_EQ(*FileKinds::archiveKind(path), kind) << path.toStdString();
        EXPECT_TRUE(FileKinds::archiveExtension().contains(path.section('.', -1).toLower()));
    }
    EXPECT_FALSE(FileKinds::archiveKind("a.xz").has_value());
    EXPECT_EQ(FileKinds::kindName(ArchiveKind::BZip2), "bzip2");
    EXPECT_EQ(FileKinds::directlyDisplayType("wma"), "audio.png");
    EXPECT_EQ(FileKinds::directlyDisplayType("txt"), "");
}
