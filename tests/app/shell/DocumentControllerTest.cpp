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
        dir_.write("src/a.txt", "a");
        ASSERT_EQ(runShell(QStringLiteral("cd '%1/src' && zip -q ../one.zip a.txt && zip -q "
                                          "../two.zip a.txt && zip -q ../three.zip a.txt")
                               .arg(dir_.path())),
                  0);
    }
    void TearDown() override {
        for (ArchiveDocument *document : controller_.documents())
            EXPECT_TRUE(waitUntilIdle(*document));
        clearSettings();
    }

    ArchiveDocument *open(const QString &name, bool display = true) {
        return controller_.openDocument(dir_.file(name), display);
    }

    ScratchDir dir_;
    ScriptedWindows windows_;
    ::DocumentController controller_{windows_};
};

} // namespace

TEST_F(DocumentControllerTest, TheFirstEmptyWindowTakesTheArchiveElseANewOneOpens) {
    ArchiveDocument *first = controller_.newDocument();
    ArchiveDocument *second = controller_.newDocument();
    EXPECT_EQ(windows_.shown, (QList<ArchiveDocument *>{first, second}));

    EXPECT_EQ(open("one.zip"), first);
    EXPECT_EQ(first->filePath(), dir_.file("one.zip"));
    EXPECT_EQ(open("two.zip"), second);
    ASSERT_TRUE(waitUntilIdle(*first));
    EXPECT_EQ(open("one.zip"), first) << "an archive open already is shown again";
    ArchiveDocument *third = controller_.openDocument(dir_.file("three.zip"), true);
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(controller_.documents(), (QList<ArchiveDocument *>{first, second, third}));
    EXPECT_EQ(windows_.shown,
              (QList<ArchiveDocument *>{first, second, first, second, first, third}));
}

TEST_F(DocumentControllerTest, OnlyAnotherWindowIsShownAndOnlyWhenAsked) {
    ArchiveDocument *current = controller_.newDocument();
    windows_.current = current;
    windows_.shown.clear();
    EXPECT_EQ(open("one.zip"), current);
    EXPECT_TRUE(windows_.shown.isEmpty()) << "the current window is on show already";

    ArchiveDocument *hidden = open("two.zip", false);
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(windows_.shown.isEmpty());
    EXPECT_EQ(hidden->filePath(), dir_.file("two.zip"));
}

TEST_F(DocumentControllerTest, WhatIsNoReadableArchiveOpensNothingAndKeepsTheEmptyWindow) {
    ArchiveDocument *empty = controller_.newDocument();
    dir_.write("notes.txt", "not an archive");
    for (const char *name : {"missing.zip", "notes.txt", "src"}) {
        std::optional<Error> error;
        EXPECT_FALSE(controller_.openDocument(dir_.file(name), true, &error)) << name;
        ASSERT_TRUE(error) << name;
        EXPECT_FALSE(error->message.isEmpty());
    }
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_EQ(windows_.windows.size(), 1u);
}

TEST_F(DocumentControllerTest, AClosedWindowsDocumentLeavesTheList) {
    ArchiveDocument *first = open("one.zip");
    ArchiveDocument *second = controller_.newDocument();
    ASSERT_TRUE(waitUntilIdle(*first));
    windows_.windows.pop_front();
    EXPECT_EQ(controller_.documents(), QList<ArchiveDocument *>{second});
    EXPECT_EQ(open("two.zip"), second);
    EXPECT_EQ(controller_.documents().size(), 1);
}
