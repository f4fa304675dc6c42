#include "util/PathUtil.h"

#include <gtest/gtest.h>

TEST(PathUtil, NamesExtensionsAndParents) {
    struct Case {
        QString path;
        const char *fileName;
        const char *extension;
        const char *baseName;
        const char *parentFolder;
    };
    const Case cases[] = {
        {"/a/b/c.txt", "c.txt", "txt", "c", "/a/b"},
        {"/x/archive.tar.gz", "archive.tar.gz", "gz", "archive.tar", "/x"},
        {"a/b/", "b", "", "b", "a"},
        {"/x.d/name", "name", "", "name", "/x.d"},
        {"/z.zip", "z.zip", "zip", "z", "/"},
        {"dir/.hidden", ".hidden", "", ".hidden", "dir"},
        {"name.", "name.", "", "name.", ""},
        {"/", "/", "", "/", ""},
        {QString(), "", "", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(PathUtil::fileName(c.path), c.fileName);
        EXPECT_EQ(PathUtil::extension(c.path), c.extension);
        EXPECT_EQ(PathUtil::baseName(c.path), c.baseName);
        EXPECT_EQ(PathUtil::parentFolder(c.path), c.parentFolder);
    }
}

TEST(PathUtil, RelativePathBelowBase) {
    struct Case {
        QString path;
        const char *base;
        const char *expected;
    };
    const Case cases[] = {
        {"/Users/u/docs/a.txt", "/Users/u/", "/docs/a.txt"},
        {"/Users/u", "/Users/u", ""},
        {"/Users/ab/x", "/Users/a", ""},
        {"/A/x", "/a", ""},
        {"/a/b", "/", "/a/b"},
        {"//a/b//", "a", "/b"},
        {QString(), "/a", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PathUtil::relativePath(c.path, c.base), c.expected)
            << c.path.toStdString() << " " << c.base;
}

TEST(PathUtil, InsideComparesWholeComponents) {
    struct Case {
        const char *path;
        const char *folder;
        bool inside;
    };
    const Case cases[] = {
        {"/home/u/Downloads/x.zip", "/home/u/Downloads", true},
        {"/home/u/Downloads", "/home/u/Downloads/", true},
        {"/home/u/Downloads/", "/home/u/Downloads", true},
        {"/home/u/Downloads2/x", "/home/u/Downloads", false},
        {"/tmp/x/home/u/Downloads", "/home/u/Downloads", false},
        {"/home/u", "/home/u/Downloads", false},
        {"/anything", "/", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PathUtil::isInside(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}
