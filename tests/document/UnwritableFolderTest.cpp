#include "DocumentFixture.h"
#include "archive/ArchiveEntry.h"

#include <QDir>

namespace {

const QString kCannotWrite =
    QStringLiteral("You cannot write into this folder. Choose another folder.");

enum class Operation { ExtractAll, ExtractSelected, Zip, View, Preview };

struct UnwritableCase {
    const char *label;
    Operation operation;
    // Where a chosen folder "out" gets the result, and what that file holds (a zip: its entry);
    // none for the operations that write only into the private temporary folder and so never ask.
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
        document_.setPreviewPane(&pane_);
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
    void prepare(Operation operation) {
        if (operation == Operation::Zip) {
            document_.addFiles({dir_.file("locked/a.txt")});
            return;
        }
        open("locked/set.part1.rar");
        ui_.selectedCurrent = {entry("notes/short.txt")};
    }
    void run(Operation operation) {
        switch (operation) {
        case Operation::ExtractAll:
            return document_.extractAll();
        case Operation::ExtractSelected:
            return document_.extractSelected();
        case Operation::Zip:
            return document_.zip();
        case Operation::View:
            return document_.viewFile();
        case Operation::Preview:
            return document_.viewFileInPreview();
        }
    }
    // What the operation handed over to read: the opened copy or the pane's delivery.
    QByteArray handedOver(Operation operation) const {
        const QStringList opened = ui_.callsStartingWith("open:");
        if (operation == Operation::View && opened.size() == 1)
            return ArchiveKit::readFile(opened.first().mid(QStringLiteral("open:").size()));
        if (operation == Operation::Preview && pane_.deliveries.size() == 1)
            return pane_.deliveries.first().contents;
        return {};
    }

    RecordingPane pane_;
    std::unique_ptr<ReadOnlyFolder> lock_;
};

TEST_P(UnwritableFolder, WritingAsksForAnotherFolderReadingNever) {
    const UnwritableCase &row = GetParam();
    if (!lock_->isReadOnly())
        GTEST_SKIP() << "cannot take write access away from a folder here";
    const QStringList lockedBefore = namesIn("locked");
    prepare(row.operation);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(ui_.callsStartingWith("chooser:").isEmpty()) << "opening the set asks nothing";

    if (!row.result) {
        ui_.calls.clear();
        run(row.operation);
        settle();
        EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
        EXPECT_TRUE(ui_.callsStartingWith("chooser:").isEmpty());
        EXPECT_EQ(handedOver(row.operation), "short");
        EXPECT_EQ(namesIn("locked"), lockedBefore);
        return;
    }

    const QStringList asked{"alert:" + kCannotWrite, "chooser:" + dir_.file("locked")};
    ui_.calls.clear();
    ui_.directories = {std::nullopt};
    run(row.operation);
    settle();
    EXPECT_EQ(ui_.calls, asked) << "a cancelled chooser starts nothing";
    EXPECT_EQ(document_.destination(), QString());
    EXPECT_TRUE(namesIn("out").isEmpty());
    EXPECT_EQ(namesIn("locked"), lockedBefore);

    ui_.calls.clear();
    ui_.directories = {dir_.file("out")};
    run(row.operation);
    settle();
    EXPECT_EQ(ui_.calls.mid(0, 2), asked);
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1) << "no error follows";
    const QString result = QStringLiteral("out/") + row.result;
    if (row.operation == Operation::Zip)
        EXPECT_EQ(zipNames(result), QStringList{row.contents});
    else
        EXPECT_EQ(read(result), row.contents);
    EXPECT_EQ(namesIn("locked"), lockedBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, UnwritableFolder,
    ::testing::Values(UnwritableCase{"Extract", Operation::ExtractAll, "notes/short.txt", "short"},
                      UnwritableCase{"Extract selected", Operation::ExtractSelected, "short.txt",
                                     "short"},
                      UnwritableCase{"Zip", Operation::Zip, "a.zip", "a.txt"},
                      UnwritableCase{"View", Operation::View, nullptr, nullptr},
                      UnwritableCase{"Preview", Operation::Preview, nullptr, nullptr}));

} // namespace
