#include "document/FileSystemNode.h"
#include "settings/Preferences.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

namespace {
QStringList entryNames(const FileSystemNode::List &nodes) {
    QStringList names;
    for (const auto &node : nodes)
        names.append(node->name());
    names.sort();
    return names;
}
} // namespace

TEST(FileSystemNode, FolderChildrenHonourTheHiddenFilesPreference) {
    clearSettings();
    ScratchDir dir;
    dir.write("f/.hidden", "h");
    dir.write("f/shown.txt", "s");
    auto folder = FileSystemNode::create(dir.file("f"));
    EXPECT_FALSE(folder->isLeaf());
    EXPECT_EQ(entryNames(folder->children()), (QStringList{".hidden", "shown.txt"}));

    Preferences::setIgnoreHiddenFiles(true);
    EXPECT_EQ(folder->children().size(), 2) << "cached until invalidated";
    folder->invalidateChildren();
    EXPECT_EQ(entryNames(folder->children()), QStringList{"shown.txt"});
    clearSettings();
}
