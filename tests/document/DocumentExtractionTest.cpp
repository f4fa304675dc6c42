#include "DocumentFixture.h"
#include "archive/ArchiveEntry.h"
#include "settings/Preferences.h"

namespace {

using Entries = QList<std::pair<QString, QByteArray>>;

struct PlacementCase {
    const char *label;
    Entries entries;
    QStringList existing;  // folders beside the archive before extracting
    QStringList selection; // entry paths; none extracts the whole archive
    int times;
    QStringList placed;        // the new items beside the archive
    QStringList firstContents; // what the first new folder holds
};

void PrintTo(const PlacementCase &placement, std::ostream *out) {
    *out << placement.label;
}

class ExtractionPlacement : public DocumentTest,
                            public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(ExtractionPlacement, PlacesTheResultUnderAFreeNameBesideTheArchive) {
    const PlacementCase &placement = GetParam();
    makeZip("a.zip", placement.entries);
    for (const QString &folder : placement.existing)
        QDir(dir_.path()).mkdir(folder);
    const QStringList before = namesIn();
    open("a.zip");
    for (int i = 0; i < placement.times; ++i) {
        ui_.selectedCurrent.clear();
        for (const QString &path : placement.selection)
            ui_.selectedCurrent.append(entry(path));
        ASSERT_FALSE(ui_.selectedCurrent.contains(nullptr));
        if (placement.selection.isEmpty())
            document_.extractAll();
        else
            document_.extractSelected();
        settle();
    }
    QStringList placed = namesIn();
    for (const QString &name : before)
        placed.removeOne(name);
    EXPECT_EQ(placed, placement.placed) << "no hidden staging folder is left either";
    if (!placement.firstContents.isEmpty()) {
        EXPECT_EQ(namesIn(placement.placed.first()), placement.firstContents);
    }
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
    EXPECT_EQ(ui_.calls.contains("close"), placement.selection.isEmpty())
        << "only a whole extraction closes the window";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractionPlacement,
    ::testing::Values(PlacementCase{"one folder beside a folder of its name",
                                    {{"docs/x.txt", "x"}},
                                    {"docs"},
                                    {},
                                    1,
                                    {"docs 2"},
                                    {"x.txt"}},
                      PlacementCase{"several top-level items, twice",
                                    {{"x.txt", "x"}, {"y.txt", "y"}},
                                    {},
                                    {},
                                    2,
                                    {"a", "a 2"},
                                    {"x.txt", "y.txt"}},
                      PlacementCase{"two entries inside folder f",
                                    {{"f/a.txt", "a"}, {"f/b.txt", "b"}, {"f/c.txt", "c"}},
                                    {},
                                    {"f/a.txt", "f/b.txt"},
                                    1,
                                    {"f"},
                                    {"a.txt", "b.txt"}},
                      PlacementCase{"two entries inside folder f, f taken",
                                    {{"f/a.txt", "a"}, {"f/b.txt", "b"}},
                                    {"f"},
                                    {"f/a.txt", "f/b.txt"},
                                    1,
                                    {"f 2"},
                                    {"a.txt", "b.txt"}},
                      PlacementCase{"one selected file, twice",
                                    {{"f/a.txt", "a"}, {"f/b.txt", "b"}},
                                    {},
                                    {"f/a.txt"},
                                    2,
                                    {"a 2.txt", "a.txt"},
                                    {}}));

class Extraction : public DocumentTest {};

TEST_F(Extraction, AnEmptyArchiveLeavesNothingBehind) {
    makeZip("e.zip", {});
    shell("bsdtar -cf e.tar -T /dev/null");
    for (const QString name : {"e.zip", "e.tar"}) {
        open(name);
        document_.extractAll();
        settle();
        EXPECT_EQ(namesIn(), (QStringList{"e.tar", "e.zip"}))
            << qPrintable(name) << ": no hidden staging folder is left";
    }
}

TEST_F(Extraction, ExtractAsPlacesIntoTheChosenFolderOrNowhere) {
    makeZip("a.zip", {{"docs/x.txt", "x"}});
    QDir(dir_.path()).mkdir("out");
    open("a.zip");
    ui_.directories = {dir_.file("out"), std::nullopt};
    document_.extractTo();
    settle();
    EXPECT_EQ(ui_.callsStartingWith("chooser:"), QStringList{"chooser:"}) << "no opening folder";
    EXPECT_EQ(read("out/docs/x.txt"), "x");

    ui_.calls.clear();
    document_.extractTo();
    settle();
    EXPECT_EQ(document_.destination(), QString()) << "a cancelled chooser forgets the folder";
    EXPECT_EQ(ui_.calls, QStringList{"chooser:"});
    EXPECT_EQ(namesIn(), (QStringList{"a.zip", "out"}));
}

TEST_F(Extraction, WhatWasLeftOutIsShownAndKeepsTheWindowOpen) {
    Preferences::setCloseAfterExtract(true);
    shell("mkdir -p src/d && cd src && echo x > d/x.txt && ln -s /etc/hosts d/far && "
          "zip -qry ../l.zip d");
    open("l.zip");
    document_.extractAll();
    settle();
    EXPECT_EQ(read("d/x.txt"), "x\n");
    EXPECT_FALSE(QFileInfo(dir_.file("d/far")).isSymLink());
    const QStringList alerts = ui_.callsStartingWith("alert:");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains("far")) << alerts.first().toStdString();
    EXPECT_FALSE(ui_.calls.contains("close"));
}

TEST_F(Extraction, CancelledExtractionLeavesNoTrace) {
    makeZip("big.zip", {{"p0.bin", randomBytes(6 << 20)},
                        {"p1.bin", randomBytes(6 << 20)},
                        {"p2.bin", randomBytes(6 << 20)}});
    open("big.zip");
    cancelAtFirstProgress();
    ui_.calls.clear();
    document_.extractAll();
    settle();
    EXPECT_TRUE(ui_.acted);
    EXPECT_EQ(namesIn(), QStringList{"big.zip"});
    EXPECT_EQ(ui_.calls, (QStringList{"top:Extracting big", "sheet:determinate", "max", "hide:0"}))
        << "no alert, and the window stays open";
}

struct PasswordCase {
    std::optional<QString> answer;
    bool extracted;
    int alerts;
};

class ZipDataPassword : public DocumentTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(ZipDataPassword, IsAskedWhenExtracting) {
    makeZip("p.zip", {{"secret.txt", "hidden words"}}, "-P s3cret");
    open("p.zip");
    EXPECT_TRUE(ui_.callsStartingWith("password:").isEmpty()) << "names are not enciphered";
    EXPECT_EQ(topEntries(), QStringList{"secret.txt"});

    ui_.passwords = {GetParam().answer};
    document_.extractAll();
    settle();
    EXPECT_EQ(ui_.callsStartingWith("password:").size(), 1);
    EXPECT_EQ(read("secret.txt"), GetParam().extracted ? "hidden words" : "");
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), GetParam().alerts);
    EXPECT_EQ(namesIn().size(), GetParam().extracted ? 2 : 1) << "nothing else is left";
}

INSTANTIATE_TEST_SUITE_P(Answers, ZipDataPassword,
                         ::testing::Values(PasswordCase{"s3cret", true, 0},
                                           PasswordCase{"wrong", false, 1},
                                           PasswordCase{std::nullopt, false, 0},
                                           PasswordCase{QString(), false, 0}));

class ExtractionErrors : public DocumentTest, public ::testing::WithParamInterface<bool> {};

// A damaged entry fails with a reader error, shown whether the whole archive or a selection was
// being extracted; nothing is placed and the window stays open.
TEST_P(ExtractionErrors, AreShownForWholeAndPartialExtraction) {
    const bool whole = GetParam();
    makeZip("c.zip", {{"f/good.txt", "good"}, {"f/bad.txt", QByteArray(1000, 'B')}});
    const QByteArray zip = read("c.zip");
    dir_.write("c.zip", ArchiveKit::flipped(zip, zip.indexOf(QByteArray(1000, 'B')) + 500, 1));

    open("c.zip");
    ui_.selectedCurrent = {entry("f/bad.txt")};
    if (whole)
        document_.extractAll();
    else
        document_.extractSelected();
    settle();
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1);
    EXPECT_FALSE(ui_.calls.contains("close"));
    EXPECT_EQ(namesIn(), QStringList{"c.zip"});
}

INSTANTIATE_TEST_SUITE_P(WholeOrSelection, ExtractionErrors, ::testing::Bool());

} // namespace
