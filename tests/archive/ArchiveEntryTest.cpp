#include "archive/ArchiveEntry.h"
#include "archive/EntryTreeWatcher.h"
#include "util/PathUtil.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<ArchiveEntry> entry(const QString &path, quint64 size = 0, quint64 packed = 0,
                                    std::optional<QDateTime> date = std::nullopt) {
    ArchiveEntry::Fields fields;
    fields.uncompressedSize = size;
    fields.compressedSize = packed;
    fields.date = date;
    return std::make_unique<ArchiveEntry>(path, fields);
}

// Writes down what a root's watcher is told, with the root's count at that moment.
class RecordingWatcher : public EntryTreeWatcher {
public:
    explicit RecordingWatcher(const ArchiveEntry &root)
        : root_(root) {}
    QStringList told;
    void entryAdded() override { told.append(QString("added:%1").arg(root_.descendantCount())); }
    void clearing() override { told.append(QString("clearing:%1").arg(root_.descendantCount())); }

private:
    const ArchiveEntry &root_;
};

} // namespace

// Folders made for a path, one given after its files (which only lends its date) and one given
// before them (which is reused), the totals over them, and a clear that empties the indexes; the
// root's watcher is told of each of these steps.
TEST(ZipEntryTree, FoldersMadeOrGivenTheirTotalsAndTheWatcher) {
    auto root = ArchiveEntry::rootEntry();
    RecordingWatcher watcher(*root);
    root->setWatcher(&watcher);
    const QDateTime date(QDate(2020, 1, 2), QTime(3, 4, 5));
    EXPECT_TRUE(ArchiveEntry::addToRoot(entry("a/b/c.txt", 10, 4), root.get()));
    EXPECT_TRUE(ArchiveEntry::addToRoot(entry("a/d.txt", 5, 3), root.get()));
    EXPECT_FALSE(ArchiveEntry::addToRoot(entry("a/d.txt", 9), root.get()));
    EXPECT_FALSE(ArchiveEntry::addToRoot(entry("a/", 0, 0, date), root.get()));
    EXPECT_TRUE(ArchiveEntry::addToRoot(entry("e/"), root.get()));
    EXPECT_TRUE(ArchiveEntry::addToRoot(entry("e/x.txt", 7), root.get()));

    ArchiveEntry *a = root->findChildFolder(u"a");
    ArchiveEntry *e = root->findChildFolder(u"e");
    ASSERT_TRUE(a && e && a->findChildFolder(u"b"));
    ArchiveEntry *b = a->findChildFolder(u"b");
    EXPECT_EQ(root->childCount(), 2);
    EXPECT_EQ(a->path(), "/a/");
    EXPECT_EQ(a->date(), date);
    EXPECT_EQ(b->path(), "/a/b/");
    EXPECT_EQ(root->findLeaf(u"a/b/c.txt")->parent(), b);
    EXPECT_EQ(e->path(), "e/");
    EXPECT_EQ(e->childCount(), 1);
    EXPECT_EQ(root->findLeaf(u"e/x.txt")->path(), "e/x.txt");
    EXPECT_EQ(a->descendantCount(), 3);
    EXPECT_EQ(root->totalSize(), 22u);
    EXPECT_EQ(root->compressedTotalSize(), 7u);
    EXPECT_EQ(ArchiveEntry::totalSizes({a, b}), 25u);
    EXPECT_EQ(ArchiveEntry::totalSizes({}), 0u);

    const auto leaf = entry("leaf.txt");
    EXPECT_FALSE(leaf->addChild(entry("y.txt")));
    EXPECT_EQ(leaf->descendantCount(), 0);
    root->clear();
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_EQ(root->descendantCount(), 0);
    EXPECT_EQ(root->totalSize(), 0u);
    EXPECT_TRUE(ArchiveEntry::addToRoot(entry("a/b/c.txt", 10), root.get()))
        << "a cleared root still found the path in its indexes";
    root->setWatcher(nullptr);
    ArchiveEntry::addToRoot(entry("f.txt"), root.get());
    EXPECT_EQ(watcher.told,
              (QStringList{"added:3", "added:4", "added:5", "added:6", "clearing:6", "added:3"}))
        << "told once the entry and its made folders are counted, never of a dropped one, "
           "before the entries go, and still after clearing until taken off";
}

// Deep paths are the next test's.
TEST(ZipEntryTree, RepeatedSlashesFindTheirFolders) {
    // The path, its leading path, the path of the folder it lands in.
    const char *const cases[][3] = {
        {"a//b///c.txt", "a//b//", "/a/b/"},
        {"a/e//", "a", "/a/"},
        {"/top.txt", "/", "/"},
        {"//a//x.txt", "//a/", "/a/"},
    };
    auto root = ArchiveEntry::rootEntry();
    for (const auto &[path, leadingPath, parentPath] : cases) {
        auto node = entry(path, 1);
        EXPECT_EQ(node->leadingPath(), leadingPath) << path;
        const ArchiveEntry *added = node.get();
        ASSERT_TRUE(ArchiveEntry::addToRoot(std::move(node), root.get())) << path;
        EXPECT_EQ(added->parent()->path(), parentPath) << path;
    }
    // Made once and found again by every later path through them.
    EXPECT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->findChildFolder(u"a")->childCount(), 3);
    EXPECT_EQ(root->descendantCount(), 6);
}

// A path thousands of folders deep: the folders made for it know their paths and counts, and a
// later entry joins them halfway down.
TEST(ZipEntryTree, AVeryDeepPathKeepsItsFoldersPathsAndCounts) {
    constexpr int kDepth = 20000;
    const QString folders = QStringLiteral("d/").repeated(kDepth);
    auto root = ArchiveEntry::rootEntry();
    ASSERT_TRUE(ArchiveEntry::addToRoot(entry(folders + "f.txt", 7), root.get()));
    ASSERT_TRUE(ArchiveEntry::addToRoot(entry("d/d/g.txt", 1), root.get()));
    const ArchiveEntry *second = root->findChildFolder(u"d")->findChildFolder(u"d");
    const ArchiveEntry *deepest = second;
    for (int depth = 2; depth < kDepth; ++depth)
        deepest = deepest->findChildFolder(u"d");
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(deepest->path(), "/" + folders);
    EXPECT_EQ(deepest->findChildLeaf(u"f.txt")->path(), folders + "f.txt");
    EXPECT_EQ(root->descendantCount(), kDepth + 2);
    EXPECT_EQ(second->descendantCount(), kDepth);
    EXPECT_EQ(second->totalSize(), 8u);
    EXPECT_EQ(deepest->leadingPath(), "/" + QStringLiteral("d/").repeated(kDepth - 1).chopped(1));
}

// Folders few enough to scan and many enough to index find the same children: the first of each
// name and kind. Entries answer the paths they were given, however the tree stores them.
TEST(ZipEntryTree, ManyChildrenFindTheFirstOfEachNameAndKind) {
    for (const int count : {3, 8, 9, 200, 20000}) {
        SCOPED_TRACE(count);
        auto root = ArchiveEntry::rootEntry();
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(ArchiveEntry::addToRoot(entry(QStringLiteral("d/n%1").arg(i), quint64(i)),
                                                root.get()));
        const QString last = QStringLiteral("d/n%1").arg(count - 1);
        // A folder of a leaf's name is made beside it; another leaf of a taken name is dropped.
        ASSERT_TRUE(ArchiveEntry::addToRoot(entry(last + "/inner.txt", 1), root.get()));
        EXPECT_FALSE(ArchiveEntry::addToRoot(entry(last, 99), root.get()));
        EXPECT_FALSE(ArchiveEntry::addToRoot(entry("d/n0", 99), root.get()));
        ArchiveEntry *d = root->findChildFolder(u"d");
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->childCount(), count + 1);
        EXPECT_EQ(d->totalSize(), quint64(count) * quint64(count - 1) / 2 + 1);
        const ArchiveEntry *leaf = root->findLeaf(last);
        ASSERT_NE(leaf, nullptr);
        EXPECT_EQ(leaf->size(), quint64(count - 1));
        EXPECT_EQ(leaf->path(), last);
        EXPECT_EQ(d->findChildFolder(PathUtil::fileName(last))->path(), "/" + last + "/");
        EXPECT_EQ(root->findLeaf(QString(last + "/inner.txt"))->path(), last + "/inner.txt");
        EXPECT_EQ(d->findChild(*entry(last)), leaf);
        // Added without a check, a second leaf of a name stays behind the first.
        ASSERT_TRUE(d->addChild(entry("d/n1", 77)));
        EXPECT_EQ(root->findLeaf(u"d/n1")->size(), 1u);
        EXPECT_EQ(d->findChildFolder(u"n0"), nullptr);
        EXPECT_EQ(root->findLeaf(u"d/missing"), nullptr);
        EXPECT_EQ(root->findLeaf(u"e/n0"), nullptr);
    }
    const QString given[] = {"a/b.txt", "a//c.txt", "/x.txt", "./y.txt", "e/",      "m//",
                             "f/g/",    "f/g/h",    "f\\i",   "",        "j/k/../l"};
    auto root = ArchiveEntry::rootEntry();
    for (const QString &path : given) {
        auto node = entry(path);
        const ArchiveEntry *added = node.get();
        ASSERT_TRUE(ArchiveEntry::addToRoot(std::move(node), root.get())) << path.toStdString();
        EXPECT_EQ(added->path(), path);
    }
}
