#include "app/shell/DocumentController.h"
#include "app/shell/IDocumentWindowFactory.h"
#include "document/ArchiveDocument.h"
#include "document/ScriptedUi.h"
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
        ArchiveDocument document{ui, ui};
    };
    std::list<Window> windows;
    QList<ArchiveDocument *> shown;
    ArchiveDocument *current = nullptr;

    ArchiveDocument *makeDocument() override { return &windows.emplace_back().document; }
    void showDocument(ArchiveDocument &document) override { shown.append(&document); }
    ArchiveDocument *currentDocument() const override { return current; }
};

class DocumentControllerTest : public ::testing::Test {
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
        for (ArchiveDocument *document : controller.documents())
            EXPECT_TRUE(waitUntilIdle(*document));
        clearSettings();
    }

    ArchiveDocument *open(const QString &name, bool display = true) {
        return controller.openDocument(dir.file(name), display);
    }

    ScratchDir dir;
    ScriptedWindows windows;
    ::DocumentController controller{windows};
};

} // namespace

TEST_F(DocumentControllerTest, TheFirstEmptyWindowTakesTheArchiveElseANewOneOpens) {
    ArchiveDocument *first = controller.newDocument();
    ArchiveDocument *second = controller.newDocument();
    EXPECT_EQ(windows.shown, (QList<ArchiveDocument *>{first, second}));

    EXPECT_EQ(open("one.zip"), first);
    EXPECT_EQ(first->filePath(), dir.file("one.zip"));
    EXPECT_EQ(open("two.zip"), second);
    ArchiveDocument *third = open("one.zip");
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(third->filePath(), dir.file("one.zip"));
    EXPECT_EQ(controller.documents(), (QList<ArchiveDocument *>{first, second, third}));
    EXPECT_EQ(windows.shown, (QList<ArchiveDocument *>{first, second, first, second, third}));
}

TEST_F(DocumentControllerTest, OnlyAnotherWindowIsShownAndOnlyWhenAsked) {
    ArchiveDocument *current = controller.newDocument();
    windows.current = current;
    windows.shown.clear();
    EXPECT_EQ(open("one.zip"), current);
    EXPECT_TRUE(windows.shown.isEmpty()) << "the current window is on show already";

    ArchiveDocument *hidden = open("two.zip", false);
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(windows.shown.isEmpty());
    EXPECT_EQ(hidden->filePath(), dir.file("two.zip"));
}

TEST_F(DocumentControllerTest, WhatIsNoReadableArchiveOpensNothingAndKeepsTheEmptyWindow) {
    ArchiveDocument *empty = controller.newDocument();
    dir.write("notes.txt", "not an archive");
    for (const char *name : {"missing.zip", "notes.txt", "src"}) {
        std::optional<Error> error;
        EXPECT_FALSE(controller.openDocument(dir.file(name), true, &error)) << name;
        ASSERT_TRUE(error) << name;
        EXPECT_FALSE(error->message.isEmpty());
    }
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_EQ(windows.windows.size(), 1u);
}

TEST_F(DocumentControllerTest, AClosedWindowsDocumentLeavesTheList) {
    ArchiveDocument *first = open("one.zip");
    ArchiveDocument *second = controller.newDocument();
    ASSERT_TRUE(waitUntilIdle(*first));
    windows.windows.pop_front();
    EXPECT_EQ(controller.documents(), QList<ArchiveDocument *>{second});
    EXPECT_EQ(open("two.zip"), second);
    EXPECT_EQ(controller.documents().size(), 1);
}
