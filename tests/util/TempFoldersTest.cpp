#include "util/TempFolders.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(TempFolders, ItemFoldersAreFreshAndUnderTheRoot) {
    const QString first = TempFolders::newItemFolder();
    const QString second = TempFolders::newItemFolder();
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).isDir());
    EXPECT_TRUE(first.startsWith(TempFolders::root() + "/"));
    EXPECT_TRUE(TempFolders::root().startsWith(QDir::tempPath()));
}
