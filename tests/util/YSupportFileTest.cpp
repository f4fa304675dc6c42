#include "util/YSupportFile.h"

#include <gtest/gtest.h>

TEST(YSupportFile, OnlyTheLastExtensionCountsAndCaseDoesNot) {
    EXPECT_TRUE(YSupportFile::isSystemEdit("/a/READ.TXT"));
    EXPECT_TRUE(YSupportFile::isGZ("x/backup.tar.gz"));
    EXPECT_TRUE(YSupportFile::isArchive("x/backup.tar.gz"));
    EXPECT_FALSE(YSupportFile::isTar("x/backup.tar.gz"));
    EXPECT_TRUE(YSupportFile::isBZ2("a.TBZ2"));
    EXPECT_TRUE(YSupportFile::isSystemPreview("photo.JPG"));
    EXPECT_FALSE(YSupportFile::isArchive("zip"));
    EXPECT_FALSE(YSupportFile::isArchive("archive."));
    EXPECT_FALSE(YSupportFile::isSystemEdit(QString()));
}

TEST(YSupportFile, TiffIsBothPictureAndText) {
    EXPECT_TRUE(YSupportFile::isSystemPreview("scan.tiff"));
    EXPECT_TRUE(YSupportFile::isSystemEdit("scan.tiff"));
    EXPECT_TRUE(YSupportFile::isSystemPreviewByExtension("png"));
    EXPECT_FALSE(YSupportFile::isSystemPreviewByExtension("PNG"));
}

TEST(YSupportFile, ArchiveSetsAndKinds) {
    EXPECT_EQ(YSupportFile::archiveExtension().size(), 13);
    EXPECT_EQ(YSupportFile::textExtension().size(), 53);
    const QList<QPair<QString, ArchiveKind>> cases = {
        {"a.zip", ArchiveKind::Zip},   {"a.CBZ", ArchiveKind::Zip},
        {"a.cbr", ArchiveKind::Rar},   {"a.part1.rar", ArchiveKind::Rar},
        {"a.tgz", ArchiveKind::GZip},  {"a.gzip", ArchiveKind::GZip},
        {"a.tar", ArchiveKind::Tar},   {"a.bz", ArchiveKind::BZip2},
        {"a.tbz", ArchiveKind::BZip2}, {"a.7z", ArchiveKind::SevenZip},
    };
    for (const auto &[path, kind] : cases) {
        ASSERT_TRUE(YSupportFile::archiveKind(path).has_value()) << path.toStdString();
        EXPECT_EQ(*YSupportFile::archiveKind(path), kind) << path.toStdString();
        EXPECT_TRUE(YSupportFile::archiveExtension().contains(path.section('.', -1).toLower()));
    }
    EXPECT_FALSE(YSupportFile::archiveKind("a.xz").has_value());
    EXPECT_EQ(YSupportFile::kindName(ArchiveKind::BZip2), "bzip2");
    EXPECT_EQ(YSupportFile::directlyDisplayType("wma"), "audio.png");
    EXPECT_EQ(YSupportFile::directlyDisplayType("txt"), "");
}
