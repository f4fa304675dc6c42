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

TEST(FileSystemNode, GatheringSkipsDuplicatesIgnoringCase) {
    ScratchDir dir;
    auto root = FileSystemNode::create("/");
    EXPECT_TRUE(root->children().isEmpty());
    const auto photo = FileSystemNode::create(dir.write("Photo.jpg", "x"));
    const auto same = FileSystemNode::create(dir.file("Photo.jpg"));
    const auto otherCase = FileSystemNode::create(dir.write("other/photo.JPG", "y"));
    const auto notes = FileSystemNode::create(dir.write("notes.txt", "z"));

    // A first batch is taken as it is, duplicates included.
    root->addChildren({photo, same});
    EXPECT_EQ(root->children().size(), 2);
    root->clear();
    root->addChildren({photo});
    root->addChildren({same, otherCase, notes});
    EXPECT_EQ(entryNames(root->children()), (QStringList{"Photo.jpg", "notes.txt"}));
    EXPECT_FALSE(root->addChild(otherCase));

    EXPECT_FALSE(root->remove(FileSystemNode::create(dir.file("never.txt"))));
    EXPECT_TRUE(root->remove(same)) << "nodes are equal by path";
    EXPECT_EQ(entryNames(root->children()), QStringList{"notes.txt"});
    root->removeItems({notes});
    EXPECT_TRUE(root->children().isEmpty());
}

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

TEST(FileSystemNode, DisplayStrings) {
    ScratchDir dir;
    auto file = FileSystemNode::create(dir.write("a.bin", QByteArray(1000, 'x')));
    EXPECT_EQ(file->filesizeString(), "1000B/1000 Bytes");
    EXPECT_EQ(file->compressedString(), "");
    EXPECT_FALSE(file->modifiedString().isEmpty());
    EXPECT_TRUE(file->isLeaf());
    EXPECT_EQ(FileSystemNode::create(dir.file("missing"))->modifiedString(), "");
    EXPECT_TRUE(FileSystemNode::create("/")->isRoot());
}
