#include "DocumentFixture.h"

#include <QDir>

namespace {

const QString kCannotWrite =
    QStringLiteral("You cannot write into this folder. Choose another folder.");

struct UnwritableCase {
    const char *label;
    void (ArchiveDocument::*run)();
    // Where a chosen folder "out" gets the result, and what that file holds (a zip: its entry);
    // none for the commands that write only into the private temporary folder and so never ask,
    // which hand over the copy (see handedOver).
    const char *result;
    const char *contents;
};

void PrintTo(const UnwritableCase &row, std::ostream *out) {
    *out << row.label;
}

// The archive's folder, or the folder of the items to zip, refuses writing even to root.
class UnwritableFolder : public DocumentTest, public ::testing::WithParamInterface<UnwritableCase> {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        // A RAR volume set: its other volumes lie in the same folder and are only read.
        dir_.write("locked/notes/long.txt", QByteArray("a line of the long note\n").repeated(3000));
        dir_.write("locked/notes/short.txt", "short");
        shell("cd locked && rar a -idq -m0 -v20k set.rar notes && rm -r notes");
        dir_.write("locked/a.txt", "to be zipped");
        QDir(dir_.path()).mkdir("out");
        lock_ = std::make_unique<ReadOnlyFolder>(dir_.file("locked"));
    }
    void TearDown() override {
        lock_.reset();
        DocumentTest::TearDown();
    }
    // What the command handed over to read: "open:" and the opened copy's contents, "pane:" and
    // the pane's delivery.
    QStringList handedOver() const {
        QStringList handed;
        for (const QString &opened : ui_.callsStartingWith("open:"))
            handed.append("open:" + ArchiveKit::readFile(opened.mid(5)));
        for (const RecordingPane::Delivery &delivery : pane_.deliveries)
            handed.append("pane:" + delivery.contents);
        return handed;
    }

    std::unique_ptr<ReadOnlyFolder> lock_;
};

TEST_P(UnwritableFolder, WritingAsksForAnotherFolderReadingNever) {
    const UnwritableCase &row = GetParam();
    if (!lock_->isReadOnly())
        GTEST_SKIP() << "cannot take write access away from a folder here";
    const QStringList lockedBefore = namesIn("locked");
    if (row.run == &ArchiveDocument::zip) {
        document_.addFiles({dir_.file("locked/a.txt")});
    } else {
        open("locked/set.part1.rar");
        select("notes/short.txt");
    }
    EXPECT_TRUE(ui_.callsStartingWith("chooser:").isEmpty()) << "opening the set asks nothing";

    if (!row.result) {
        ui_.calls.clear();
        run(row.run);
        EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
        EXPECT_TRUE(ui_.callsStartingWith("chooser:").isEmpty());
        EXPECT_EQ(handedOver(), QStringList{row.contents});
        EXPECT_EQ(namesIn("locked"), lockedBefore);
        return;
    }

    const QStringList asked{"alert:" + kCannotWrite, "chooser:" + dir_.file("locked")};
    ui_.calls.clear();
    ui_.directories = {std::nullopt};
    run(row.run);
    EXPECT_EQ(ui_.calls, asked) << "a cancelled chooser starts nothing";
    EXPECT_EQ(document_.destination(), QString());
    EXPECT_TRUE(namesIn("out").isEmpty());

    ui_.calls.clear();
    ui_.directories = {dir_.file("out")};
    run(row.run);
    EXPECT_EQ(ui_.calls.mid(0, 2), asked);
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1) << "no error follows";
    const QString result = QStringLiteral("out/") + row.result;
    if (row.run == &ArchiveDocument::zip)
        EXPECT_EQ(zipNames(result), QStringList{row.contents});
    else
        EXPECT_EQ(read(result), row.contents);
    EXPECT_EQ(namesIn("locked"), lockedBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, UnwritableFolder,
    ::testing::Values(
        UnwritableCase{"Extract", &ArchiveDocument::extractAll, "notes/short.txt", "short"},
        UnwritableCase{"Extract selected", &ArchiveDocument::extractSelected, "short.txt", "short"},
        UnwritableCase{"Zip", &ArchiveDocument::zip, "a.zip", "a.txt"},
        UnwritableCase{"View", &ArchiveDocument::viewFile, nullptr, "open:short"},
        UnwritableCase{"Preview", &ArchiveDocument::viewFileInPreview, nullptr, "pane:short"}));

} // namespace
