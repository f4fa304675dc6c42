#include "DocumentFixture.h"
#include "app/core/Preferences.h"
#include "archive/ArchiveEntry.h"
#include "archive/ReaderBase.h"

#include <QDirIterator>

namespace {

const QString kPermissionMessage =
    QStringLiteral("Please click Confirm button to obtain access permission");

class Compression : public DocumentTest {
protected:
    // The gathered item of that name, as the browser's first column shows it.
    IFileEntry *listed(const QString &name) const {
        for (const FileSystemNode::Ptr &node : document.rootNode()->children()) {
            if (node->name() == name)
                return node.get();
        }
        return nullptr;
    }
    QStringList listedNames() const {
        QStringList names;
        for (const FileSystemNode::Ptr &node : document.rootNode()->children())
            names.append(node->name());
        return names;
    }
    void zipAndSettle() {
        document.zip();
        settle();
    }
};

TEST_F(Compression, GatheringAndDeletingMoveBetweenEmptyAndComposing) {
    dir.write("Photo.jpg", "p");
    dir.write("notes.txt", "n");
    dir.write("other/photo.JPG", "q");
    EXPECT_TRUE(document.isEmpty());
    EXPECT_FALSE(document.canZip());

    ui.pickedFiles = {dir.file("Photo.jpg"), dir.file("notes.txt")};
    document.add();
    EXPECT_EQ(ui.calls, (QStringList{"pick", "reload", "toolbar"}));
    EXPECT_TRUE(document.isComposing());
    document.addFiles({dir.file("other/photo.JPG"), dir.file("Photo.jpg")});
    EXPECT_EQ(listedNames(), (QStringList{"Photo.jpg", "notes.txt"})) << "no duplicates";
    EXPECT_TRUE(document.canZip());
    EXPECT_FALSE(document.canDelete()) << "nothing selected";

    ui.selectedZero = {listed("notes.txt")};
    EXPECT_TRUE(document.canDelete());
    document.deleteSelected();
    EXPECT_EQ(listedNames(), QStringList{"Photo.jpg"});
    EXPECT_TRUE(document.isComposing());
    ui.selectedZero = {listed("Photo.jpg")};
    document.deleteSelected();
    EXPECT_TRUE(document.isEmpty());
    EXPECT_FALSE(document.canZip());
    EXPECT_TRUE(QFile::exists(dir.file("notes.txt"))) << "nothing is deleted on disk";
}

TEST_F(Compression, AnOpenedArchiveIsNeverAddedTo) {
    makeZip("k.zip", {{"a.txt", "a"}});
    dir.write("b.txt", "b");
    open("k.zip");
    document.addFiles({dir.file("b.txt")});
    EXPECT_TRUE(document.isViewing());
    EXPECT_TRUE(listedNames().isEmpty());
    EXPECT_FALSE(document.canAdd());

    // The selection decides what may be viewed or extracted.
    EXPECT_FALSE(document.canExtractSelected());
    ui.selectedCurrent = {entry("a.txt")};
    EXPECT_TRUE(document.canExtractSelected());
    EXPECT_TRUE(document.canView());
    ui.selectedCurrent = {entry("a.txt"), entry("a.txt")};
    EXPECT_FALSE(document.canView()) << "exactly one";
}

TEST_F(Compression, ZipTwiceGivesTheNextFreeName) {
    dir.write("Photos/a.jpg", "a");
    dir.write("Photos/sub/b.jpg", "b");
    document.addFiles({dir.file("Photos")});
    zipAndSettle();
    zipAndSettle();
    EXPECT_EQ(namesIn(), (QStringList{"Photos", "Photos 2.zip", "Photos.zip"}));
    const QStringList stored{"Photos/", "Photos/a.jpg", "Photos/sub/", "Photos/sub/b.jpg"};
    EXPECT_EQ(zipNames("Photos.zip"), stored);
    EXPECT_EQ(zipNames("Photos 2.zip"), stored);
    EXPECT_EQ(ui.calls.mid(ui.calls.indexOf("top:Compressing")),
              (QStringList{"top:Compressing", "sheet:determinate", "max", "hide:0",
                           "top:Compressing", "sheet:determinate", "max", "hide:0"}));
    EXPECT_EQ(ui.maxValues, (QList<quint64>{2, 2}));
    EXPECT_TRUE(document.isComposing()) << "the list stays for another Zip";
}

TEST_F(Compression, TheFirstSelectedItemNamesTheArchiveOfAllItems) {
    dir.write("a.txt", "a");
    dir.write("b/inner.txt", "i");
    dir.write("c.txt", "c");
    document.addFiles({dir.file("a.txt"), dir.file("b"), dir.file("c.txt")});
    ui.selectedZero = {listed("b")};
    zipAndSettle();
    EXPECT_EQ(document.zipFileName(), "b");
    EXPECT_EQ(zipNames("b.zip"), (QStringList{"a.txt", "b/", "b/inner.txt", "c.txt"}));
}

TEST_F(Compression, ItemsFromTwoFoldersAskForTheTargetFolder) {
    dir.write("x/report.txt", "r");
    dir.write("y/b.txt", "b");
    QDir(dir.path()).mkdir("out");
    document.addFiles({dir.file("x/report.txt"), dir.file("y/b.txt")});
    ui.directories = {dir.file("out"), std::nullopt};
    zipAndSettle();
    EXPECT_EQ(ui.callsStartingWith("chooser:"), QStringList{"chooser:|"});
    EXPECT_EQ(zipNames("out/report.zip"), (QStringList{"b.txt", "report.txt"}));

    ui.calls.clear();
    zipAndSettle();
    EXPECT_EQ(ui.calls, QStringList{"chooser:|"}) << "a cancelled chooser writes nothing";
    EXPECT_EQ(namesIn("out"), QStringList{"report.zip"});
}

class HiddenFiles : public Compression, public ::testing::WithParamInterface<bool> {};

TEST_P(HiddenFiles, AreLeftOutOfTotalAndArchiveWhenSet) {
    const bool ignore = GetParam();
    Preferences::setIgnoreHiddenFiles(ignore);
    dir.write("f/.hidden", QByteArray(1000, 'h'));
    dir.write("f/shown.txt", QByteArray(10, 's'));
    document.addFiles({dir.file("f")});
    zipAndSettle();
    EXPECT_EQ(ui.maxValues, QList<quint64>{ignore ? 10u : 1010u});
    QStringList stored{"f/", "f/shown.txt"};
    if (!ignore)
        stored.insert(1, "f/.hidden");
    EXPECT_EQ(zipNames("f.zip"), stored);
}

INSTANTIATE_TEST_SUITE_P(IgnoreOrKeep, HiddenFiles, ::testing::Bool());

TEST_F(Compression, CancelLeavesNothingBehind) {
    for (const QString name : {"p0.bin", "p1.bin", "p2.bin"})
        dir.write("big/" + name, randomBytes(6 << 20));
    document.addFiles({dir.file("big")});
    bool cancelled = false;
    ui.onProgressValue = [&](quint64 value) {
        if (value > 0 && !cancelled) {
            cancelled = true;
            queueCancel(document);
        }
    };
    zipAndSettle();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(namesIn(), QStringList{"big"});
    EXPECT_TRUE(ui.callsStartingWith("alert:").isEmpty());
    QDirIterator temporary(ReaderBase::tempRootDirectory(), QDir::Files | QDir::Hidden,
                           QDirIterator::Subdirectories);
    while (temporary.hasNext())
        EXPECT_FALSE(temporary.next().endsWith("big.zip")) << "the temporary archive is removed";
}

TEST_F(Compression, AFailedFinalMoveIsReported) {
    dir.write("a.txt", "a");
    document.addFiles({dir.file("a.txt")});
    ui.directories = {dir.file("gone")};
    document.zipTo();
    settle();
    EXPECT_EQ(ui.callsStartingWith("alert:").size(), 1);
    EXPECT_EQ(namesIn(), QStringList{"a.txt"});
}

TEST_F(Compression, AFolderWithoutWriteAccessAsksForATarget) {
    dir.write("locked/a.txt", "a");
    QDir(dir.path()).mkdir("out");
    const QString locked = dir.file("locked");
    ReadOnlyFolder lock(locked);
    if (!lock.isReadOnly())
        GTEST_SKIP() << "cannot take write access away from a folder here";
    document.addFiles({dir.file("locked/a.txt")});
    ui.directories = {dir.file("out")};
    zipAndSettle();
    EXPECT_EQ(ui.callsStartingWith("chooser:"),
              QStringList{"chooser:" + kPermissionMessage + "|" + locked});
    EXPECT_EQ(zipNames("out/a.zip"), QStringList{"a.txt"});
}

TEST_F(Compression, RevealShowsTheArchiveOrAGatheredItem) {
    dir.write("a.txt", "a");
    dir.write("b.txt", "b");
    document.showInFolder();
    EXPECT_TRUE(ui.calls.isEmpty()) << "an empty window shows nothing";

    document.addFiles({dir.file("a.txt"), dir.file("b.txt")});
    ui.calls.clear();
    document.showInFolder();
    ui.selectedCurrent = {listed("b.txt")};
    document.showInFolder();
    document.openArchiveFolder();
    EXPECT_EQ(ui.calls, (QStringList{"reveal:" + dir.file("a.txt"), "reveal:" + dir.file("b.txt"),
                                     "reveal:" + dir.file("a.txt")}));

    makeZip("k.zip", {{"x.txt", "x"}});
    open("k.zip");
    ui.calls.clear();
    document.showInFolder();
    EXPECT_EQ(ui.calls, QStringList{"reveal:" + dir.file("k.zip")});
}

} // namespace
