#include "DocumentFixture.h"
#include "archive/ArchiveEntry.h"
#include "settings/Preferences.h"

namespace {

class Compression : public DocumentTest {
protected:
    // The gathered item of that name, as the browser's first column shows it.
    IFileEntry *listed(const QString &name) const {
        for (const FileSystemNode::Ptr &node : document_.rootNode()->children()) {
            if (node->name() == name)
                return node.get();
        }
        return nullptr;
    }
    QStringList listedNames() const {
        QStringList names;
        for (const FileSystemNode::Ptr &node : document_.rootNode()->children())
            names.append(node->name());
        return names;
    }
    void zipAndSettle() {
        document_.zip();
        settle();
    }
};

TEST_F(Compression, GatheringAndDeletingMoveBetweenEmptyAndComposing) {
    dir_.write("Photo.jpg", "p");
    dir_.write("notes.txt", "n");
    dir_.write("other/photo.JPG", "q");
    EXPECT_TRUE(document_.isEmpty());
    EXPECT_FALSE(document_.canZip());

    ui_.pickedFiles = {dir_.file("Photo.jpg"), dir_.file("notes.txt")};
    document_.add();
    EXPECT_EQ(ui_.calls, (QStringList{"pick", "reload", "toolbar"}));
    EXPECT_TRUE(document_.isComposing());
    document_.addFiles({dir_.file("other/photo.JPG"), dir_.file("Photo.jpg")});
    EXPECT_EQ(listedNames(), (QStringList{"Photo.jpg", "notes.txt"})) << "no duplicates";
    EXPECT_TRUE(document_.canZip());
    EXPECT_FALSE(document_.canDelete()) << "nothing selected";

    ui_.selectedZero = {listed("notes.txt")};
    EXPECT_TRUE(document_.canDelete());
    document_.deleteSelected();
    EXPECT_EQ(listedNames(), QStringList{"Photo.jpg"});
    EXPECT_TRUE(document_.isComposing());
    ui_.selectedZero = {listed("Photo.jpg")};
    document_.deleteSelected();
    EXPECT_TRUE(document_.isEmpty());
    EXPECT_FALSE(document_.canZip());
    EXPECT_TRUE(QFile::exists(dir_.file("notes.txt"))) << "nothing is deleted on disk";
}

TEST_F(Compression, AnOpenedArchiveIsNeverAddedTo) {
    makeZip("k.zip", {{"a.txt", "a"}});
    dir_.write("b.txt", "b");
    open("k.zip");
    document_.addFiles({dir_.file("b.txt")});
    EXPECT_TRUE(document_.isViewing());
    EXPECT_TRUE(listedNames().isEmpty());
    EXPECT_FALSE(document_.canAdd());

    // The selection decides what may be viewed or extracted.
    EXPECT_FALSE(document_.canExtractSelected());
    select("a.txt");
    EXPECT_TRUE(document_.canExtractSelected());
    EXPECT_TRUE(document_.canView());
    ui_.selectedCurrent = {entry("a.txt"), entry("a.txt")};
    EXPECT_FALSE(document_.canView()) << "exactly one";
}

TEST_F(Compression, ZipTwiceGivesTheNextFreeName) {
    dir_.write("Photos/a.jpg", "a");
    dir_.write("Photos/sub/b.jpg", "b");
    document_.addFiles({dir_.file("Photos")});
    zipAndSettle();
    zipAndSettle();
    EXPECT_EQ(namesIn(), (QStringList{"Photos", "Photos 2.zip", "Photos.zip"}));
    const QStringList stored{"Photos/", "Photos/a.jpg", "Photos/sub/", "Photos/sub/b.jpg"};
    EXPECT_EQ(zipNames("Photos.zip"), stored);
    EXPECT_EQ(zipNames("Photos 2.zip"), stored);
    EXPECT_EQ(ui_.calls.mid(ui_.calls.indexOf("top:Compressing")),
              (QStringList{"top:Compressing", "sheet:determinate", "max", "hide:0",
                           "top:Compressing", "sheet:determinate", "max", "hide:0"}));
    EXPECT_EQ(ui_.maxValues, (QList<quint64>{2, 2}));
    EXPECT_TRUE(document_.isComposing()) << "the list stays for another Zip";
}

TEST_F(Compression, TheFirstSelectedItemNamesTheArchiveOfAllItems) {
    dir_.write("a.txt", "a");
    dir_.write("b/inner.txt", "i");
    dir_.write("c.txt", "c");
    document_.addFiles({dir_.file("a.txt"), dir_.file("b"), dir_.file("c.txt")});
    ui_.selectedZero = {listed("b")};
    zipAndSettle();
    EXPECT_EQ(document_.zipFileName(), "b");
    EXPECT_EQ(zipNames("b.zip"), (QStringList{"a.txt", "b/", "b/inner.txt", "c.txt"}));
}

TEST_F(Compression, ItemsFromTwoFoldersAskForTheTargetFolder) {
    dir_.write("x/report.txt", "r");
    dir_.write("y/b.txt", "b");
    QDir(dir_.path()).mkdir("out");
    document_.addFiles({dir_.file("x/report.txt"), dir_.file("y/b.txt")});
    ui_.directories = {dir_.file("out"), std::nullopt};
    zipAndSettle();
    EXPECT_EQ(ui_.callsStartingWith("chooser:"), QStringList{"chooser:"});
    EXPECT_EQ(zipNames("out/report.zip"), (QStringList{"b.txt", "report.txt"}));

    ui_.calls.clear();
    zipAndSettle();
    EXPECT_EQ(ui_.calls, QStringList{"chooser:"}) << "a cancelled chooser writes nothing";
    EXPECT_EQ(namesIn("out"), QStringList{"report.zip"});
}

TEST_F(Compression, HiddenFilesAreLeftOutOfTotalAndArchiveWhenSet) {
    dir_.write("f/.hidden", QByteArray(1000, 'h'));
    dir_.write("f/shown.txt", QByteArray(10, 's'));
    document_.addFiles({dir_.file("f")});
    for (const bool ignore : {false, true}) {
        Preferences::setIgnoreHiddenFiles(ignore);
        ui_.maxValues.clear();
        QFile::remove(dir_.file("f.zip"));
        zipAndSettle();
        EXPECT_EQ(ui_.maxValues, QList<quint64>{ignore ? 10u : 1010u});
        EXPECT_EQ(zipNames("f.zip"), (ignore ? QStringList{"f/", "f/shown.txt"}
                                             : QStringList{"f/", "f/.hidden", "f/shown.txt"}));
    }
}

TEST_F(Compression, AFailedFinalMoveIsReported) {
    dir_.write("a.txt", "a");
    document_.addFiles({dir_.file("a.txt")});
    ui_.directories = {dir_.file("gone")};
    document_.zipTo();
    settle();
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1);
    EXPECT_EQ(namesIn(), QStringList{"a.txt"});
}

TEST_F(Compression, RevealShowsTheArchiveOrAGatheredItem) {
    dir_.write("a.txt", "a");
    dir_.write("b.txt", "b");
    document_.showInFolder();
    EXPECT_TRUE(ui_.calls.isEmpty()) << "an empty window shows nothing";

    document_.addFiles({dir_.file("a.txt"), dir_.file("b.txt")});
    ui_.calls.clear();
    document_.showInFolder();
    ui_.selectedCurrent = {listed("b.txt")};
    document_.showInFolder();
    document_.openArchiveFolder();
    EXPECT_EQ(ui_.calls, (QStringList{"reveal:" + dir_.file("a.txt"),
                                      "reveal:" + dir_.file("b.txt"), "open:" + dir_.path()}))
        << "the archive's folder command opens the folder of the first item";

    makeZip("k.zip", {{"x.txt", "x"}});
    open("k.zip");
    ui_.calls.clear();
    document_.showInFolder();
    EXPECT_EQ(ui_.calls, QStringList{"reveal:" + dir_.file("k.zip")});
}

} // namespace
