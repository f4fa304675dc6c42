#include "archive/SafePath.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <unistd.h>

TEST(SafePathSanitize, DotDotAndAbsoluteNamesStayInside) {
    const QList<QPair<QString, QString>> cases = {
        {"a/b.txt", "a/b.txt"},
        {"../../etc/passwd", "etc/passwd"},
        {"/etc/passwd", "etc/passwd"},
        {"a/../../b", "a/b"},
        {"./a//b/./c/", "a/b/c"},
        {"..", ""},
        {"/", ""},
        {"..\\..\\x", "..\\..\\x"}, // one odd but harmless name: backslash is no separator here
    };
    for (const auto &[entry, expected] : cases)
        EXPECT_EQ(SafePath::sanitize(entry), expected) << entry.toStdString();
    EXPECT_EQ(SafePath::join("/dest", "../x"), "/dest/x");
    EXPECT_EQ(SafePath::join("/dest/", "a/b"), "/dest/a/b");
    EXPECT_EQ(SafePath::join("/dest", "../.."), "/dest");
}

TEST(SafePathFolders, CreatesBelowTheDestinationOnly) {
    ScratchDir dir;
    const QString dest = dir.file("dest");
    QDir().mkpath(dest);
    EXPECT_TRUE(SafePath::makeFolders(dest, dest + "/a/b/c"));
    EXPECT_TRUE(QFileInfo(dest + "/a/b/c").isDir());
    EXPECT_TRUE(SafePath::makeFolders(dest, dest));
    EXPECT_FALSE(SafePath::makeFolders(dest, dir.file("elsewhere")));
    EXPECT_FALSE(SafePath::makeFolders(dest, dest + "/../escape"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("escape")));
    EXPECT_FALSE(SafePath::makeFolders(dest, dir.file("dest2/x")));
}

TEST(SafePathFolders, SymlinkThenWriteIsRefused) {
    ScratchDir dir;
    const QString dest = dir.file("dest");
    const QString outside = dir.file("outside");
    QDir().mkpath(dest);
    QDir().mkpath(outside);
    // An archive first makes a link to a folder outside, then an entry written through it.
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(),
                        QFile::encodeName(dest + "/link").constData()),
              0);
    EXPECT_FALSE(SafePath::makeFolders(dest, dest + "/link/sub"));
    EXPECT_FALSE(SafePath::prepareFile(dest, dest + "/link/evil.txt"));
    EXPECT_TRUE(QDir(outside).isEmpty());
}

TEST(SafePathFiles, LinkAtTheFilePathIsReplacedNotFollowed) {
    ScratchDir dir;
    const QString dest = dir.file("dest");
    QDir().mkpath(dest);
    const QString victim = dir.write("victim.txt", "keep");
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                        QFile::encodeName(dest + "/x").constData()),
              0);
    ASSERT_TRUE(SafePath::prepareFile(dest, dest + "/x"));
    QFile out(dest + "/x");
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("new");
    out.close();
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
    EXPECT_FALSE(QFileInfo(dest + "/x").isSymLink());

    EXPECT_TRUE(SafePath::prepareFile(dest, dest + "/new/deep/file.txt"));
    EXPECT_TRUE(QFileInfo(dest + "/new/deep").isDir());
    EXPECT_FALSE(SafePath::prepareFile(dest, dest)) << "the destination itself is no file";
    QDir().mkpath(dest + "/folder");
    EXPECT_FALSE(SafePath::prepareFile(dest, dest + "/folder"));
}
