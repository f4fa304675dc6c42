#include "util/FreePlacement.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <vector>

using ArchiveKit::readFile;

// Names count up past every item in the way, folders and dangling links included, and keep a
// tar's extensions together.
TEST(FreePlacement, FreeNamesCountUpPastFoldersAndDanglingLinks) {
    ScratchDir dir;
    for (const char *taken : {"report.zip", "report 2.zip", "a.tar.gz", "notes", "docs/a.txt"})
        dir.write(taken, "x");
    QFile::link("/nonexistent", dir.file("dangling.txt"));
    QFile::link("/nonexistent", dir.file("docs 2"));
    // The name, the extension, the free name given.
    const char *const cases[][3] = {
        {"report", "zip", "report 3.zip"},
        {"a.TAR", "gz", "a 2.tar.gz"},
        {"b.tar", "bz2", "b.tar.bz2"},
        {"notes", "", "notes 2"},
        {"x.tar", "", "x.tar"},
        {"dangling", "txt", "dangling 2.txt"},
    };
    for (const auto &[name, extension, expected] : cases)
        EXPECT_EQ(FreePlacement::freeFileName(dir.path(), name, extension), dir.file(expected))
            << name;
    dir.write("src/docs/a.txt", "moved");
    const QString placed =
        FreePlacement::moveToFreeFolderName(dir.file("src/docs"), dir.path(), "docs");
    EXPECT_EQ(placed, dir.file("docs 3"));
    EXPECT_EQ(readFile(placed + "/a.txt"), "moved");
    EXPECT_TRUE(QFileInfo(dir.file("docs 2")).isSymLink()) << "a dangling link was replaced";
    EXPECT_TRUE(FreePlacement::moveToFreeFolderName(dir.file("missing"), dir.path(), "m").isNull());
}

TEST(FreePlacement, RacingPlacementsTakeTheFirstFreeNamesAndNeverReplaceEachOther) {
    ScratchDir dir;
    QDir().mkpath(dir.file("out"));
    constexpr int kRacers = 8;
    QList<QString> sources;
    for (int i = 0; i < kRacers; ++i)
        sources.append(dir.write(QStringLiteral("src/%1").arg(i), QByteArray::number(i)));
    std::atomic<bool> go = false;
    QStringList placed(kRacers);
    std::vector<std::jthread> threads;
    for (int i = 0; i < kRacers; ++i)
        threads.emplace_back([&, i] {
            while (!go) {
            }
            placed[i] =
                FreePlacement::moveToFreeFileName(sources[i], dir.file("out"), "same", "bin");
        });
    go = true;
    threads.clear();
    // Each took the first name free, and none replaced another.
    QStringList names = {"same.bin"};
    for (int i = 2; i <= kRacers; ++i)
        names.append(QStringLiteral("same %1.bin").arg(i));
    names.sort();
    EXPECT_EQ(QDir(dir.file("out")).entryList(QDir::Files), names);
    for (int i = 0; i < kRacers; ++i)
        EXPECT_EQ(readFile(placed[i]), QByteArray::number(i));
}

TEST(FreePlacement, FilesCrossFileSystemsWhole) {
    ScratchDir dir;
    QTemporaryDir other(QStringLiteral("/dev/shm/kist-test-XXXXXX"));
    struct stat a;
    struct stat b;
    if (!other.isValid() || ::stat("/dev/shm", &a) != 0 ||
        ::stat(qPrintable(dir.path()), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    const QString source = ArchiveKit::writeFile(other.path(), "new.zip", "archive bytes");
    dir.write("out/Photos.zip", "old");
    const QString placed =
        FreePlacement::moveToFreeFileName(source, dir.file("out"), "Photos", "zip");
    EXPECT_EQ(placed, dir.file("out/Photos 2.zip"));
    EXPECT_EQ(readFile(placed), "archive bytes");
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(QDir(dir.file("out")).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no hidden copy is left beside the result";
}
