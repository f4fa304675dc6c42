#include "document/FileSystemNode.h"
#include "settings/Preferences.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

TEST(FileSystemNode, FolderChildrenHonourTheHiddenFilesPreference) {
    clearSettings();
    ScratchDir dir;
    dir.write("f/.hidden", "h");
    dir.write("f/shown.txt", "s");
    auto folder = FileSystemNode::create(dir.file("f"));
    EXPECT_FALSE(folder->isLeaf());
    EXPECT_EQ(folder->children().size(), 2);

    Preferences::setIgnoreHiddenFiles(true);
    EXPECT_EQ(folder->children().size(), 2) << "cached until invalidated";
    folder->invalidateChildren();
    ASSERT_EQ(folder->children().size(), 1);
    EXPECT_EQ(folder->children().first()->name(), "shown.txt");
    clearSettings();
}
