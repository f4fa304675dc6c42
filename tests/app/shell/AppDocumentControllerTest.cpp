#include "app/shell/AppDocumentController.h"
#include "app/shell/IDocumentWindowFactory.h"
#include "document/ScriptedUi.h"
#include "document/ZipDocument.h"
#include "support/TestDirs.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <list>

namespace {

// Windows made of a scripted view each; records which documents it made and showed.
class ScriptedWindows : public IDocumentWindowFactory {
public:
    struct Window {
        ScriptedUi ui;
        ZipDocument document{ui, ui};
    };
    std::list<Window> windows;
    QList<ZipDocument *> shown;
    ZipDocument *current = nullptr;

    ZipDocument *makeDocument() override { return &windows.emplace_back().document; }
    void showDocument(ZipDocument &document) override { shown.append(&document); }
    ZipDocument *currentDocument() const override { return current; }
};

class DocumentController : public ::testing::Test {
protected:
    void SetUp() override {
        clearSettings();
        dir.write("src/a.txt", "a");
        ASSERT_EQ(runShell(QStringLiteral("cd '%1/src' && zip -q ../one.zip a.txt && zip -q "
                                          "../two.zip a.txt")
                               .arg(dir.path())),
                  0);
    }
    void TearDown() override {
        for (ZipDocument *document : controller.documents())
            EXPECT_TRUE(waitUntilIdle(*document));
        clearSettings();
    }

    ZipDocument *open(const QString &name, bool display = true) {
        return controller.openDocumentWithContentsOfURL(dir.file(name), display);
    }

    ScratchDir dir;
    ScriptedWindows windows;
    AppDocumentController controller{windows};
};

} // namespace

TEST_F(DocumentController, TheFirstEmptyWindowTakesTheArchiveElseANewOneOpens) {
    ZipDocument *first = controller.newDocument();
    ZipDocument *second = controller.newDocument();
    EXPECT_EQ(windows.shown, (QList<ZipDocument *>{first, second}));

    EXPECT_EQ(open("one.zip"), first);
    EXPECT_EQ(first->filePath(), dir.file("one.zip"));
    EXPECT_EQ(open("two.zip"), second);
    ZipDocument *third = open("one.zip");
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(third->filePath(), dir.file("one.zip"));
    EXPECT_EQ(controller.documents(), (QList<ZipDocument *>{first, second, third}));
    EXPECT_EQ(windows.shown, (QList<ZipDocument *>{first, second, first, second, third}));
}

TEST_F(DocumentController, OnlyAnotherWindowIsShownAndOnlyWhenAsked) {
    ZipDocument *current = controller.newDocument();
    windows.current = current;
    windows.shown.clear();
    EXPECT_EQ(open("one.zip"), current);
    EXPECT_TRUE(windows.shown.isEmpty()) << "the current window is on show already";

    ZipDocument *hidden = open("two.zip", false);
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(windows.shown.isEmpty());
    EXPECT_EQ(hidden->filePath(), dir.file("two.zip"));
}

TEST_F(DocumentController, WhatIsNoReadableArchiveOpensNothingAndKeepsTheEmptyWindow) {
    ZipDocument *empty = controller.newDocument();
    dir.write("notes.txt", "not an archive");
    for (const char *name : {"missing.zip", "notes.txt", "src"}) {
        std::optional<Error> error;
        EXPECT_FALSE(controller.openDocumentWithContentsOfURL(dir.file(name), true, &error))
            << name;
        ASSERT_TRUE(error) << name;
        EXPECT_FALSE(error->message.isEmpty());
    }
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_EQ(windows.windows.size(), 1u);
}

TEST_F(DocumentController, AClosedWindowsDocumentLeavesTheList) {
    ZipDocument *first = open("one.zip");
    ZipDocument *second = controller.newDocument();
    ASSERT_TRUE(waitUntilIdle(*first));
    windows.windows.pop_front();
    EXPECT_EQ(controller.documents(), QList<ZipDocument *>{second});
    EXPECT_EQ(open("two.zip"), second);
    EXPECT_EQ(controller.documents().size(), 1);
}
