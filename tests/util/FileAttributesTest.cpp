#include "util/FileAttributes.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FileAttributes, ModesKeepOwnerRightsAndRespectUmask) {
    ScratchDir dir;
    const QString file = dir.write("f", "x");
    // The umask, the mode stored, the mode given.
    const mode_t cases[][3] = {
        {022, 0755, 0755}, {022, 0600, 0600},  {022, 0, 0644},
        {022, 0444, 0644}, {077, 0755, 0700},  {077, 0666, 0600},
        {077, 0, 0600},    {022, 04755, 0755}, {022, 03777, 0755},
    };
    for (const auto &[mask, stored, expected] : cases) {
        const mode_t previous = ::umask(mask);
        EXPECT_FALSE(FileAttributes::setRestoredMode(file, stored).has_value());
        ::umask(previous);
        EXPECT_EQ(ArchiveKit::modeOf(file), expected)
            << std::oct << "umask " << mask << " mode " << stored;
    }
    EXPECT_TRUE(FileAttributes::setRestoredMode(dir.file("missing"), 0644).has_value());
}

// Types, sizes and dates are the item's own, not those of the target of a link.
TEST(FileAttributes, TypesSizesAndDatesOfLinksAreTheirOwn) {
    ScratchDir dir;
    QDir(dir.path()).mkdir("folder");
    const QString file = dir.write("file", "12345");
    ASSERT_TRUE(QFile::link("folder", dir.file("to-folder")));
    ASSERT_TRUE(QFile::link("nowhere", dir.file("dangling")));
    ASSERT_TRUE(QFile::link("file", dir.file("to-file")));
    struct Case {
        const char *name;
        bool folder;
        quint64 size;
    };
    // Sizes come from lstat: a link's size is the length of its target text.
    const Case cases[] = {
        {"to-folder", true, 6},
        {"file", false, 5},
        {"dangling", false, 7},
        {"missing", false, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FileAttributes::isFolder(dir.file(c.name)), c.folder) << c.name;
        EXPECT_EQ(FileAttributes::fileSize(dir.file(c.name)), c.size) << c.name;
    }

    const QDateTime date(QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc());
    const QDateTime fileDate = *FileAttributes::modifiedDate(file);
    EXPECT_FALSE(FileAttributes::setModifiedDate(date, dir.file("to-file")).has_value());
    EXPECT_EQ(FileAttributes::modifiedDate(dir.file("to-file")), date);
    EXPECT_EQ(FileAttributes::modifiedDate(file), fileDate);
    EXPECT_FALSE(FileAttributes::setModifiedDate(std::nullopt, dir.file("missing")).has_value());
    EXPECT_TRUE(FileAttributes::setModifiedDate(date, dir.file("missing")).has_value());
    EXPECT_FALSE(FileAttributes::modifiedDate(dir.file("missing")).has_value());
}
