#include "app/preview/PreviewColumn.h"
#include "app/preview/PreviewView.h"
#include "archive/ArchiveEntry.h"
#include "document/ArchiveDocument.h"
#include "document/FileSystemNode.h"
#include "document/ScriptedUi.h"
#include "support/TestDirs.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

TEST(PreviewColumn, ANewPaneOnlyForAnotherItem) {
    ScratchDir dir;
    const QString path = dir.write("a.txt", "a");
    FileSystemNode first(path);
    FileSystemNode samePath(path);
    FileSystemNode other(dir.write("b.txt", "b"));
    PreviewColumn controller;

    controller.setRepresentedObject(&first);
    PreviewView *pane = controller.view();
    ASSERT_TRUE(pane);
    controller.setRepresentedObject(&samePath);
    EXPECT_EQ(controller.view(), pane);
    EXPECT_EQ(controller.representedObject(), &first);

    controller.setRepresentedObject(&other);
    ASSERT_TRUE(controller.view());
    EXPECT_EQ(controller.view()->currentItem(), &other);

    controller.setRepresentedObject(nullptr);
    EXPECT_FALSE(controller.view());
    controller.viewFile(path); // nothing to forward to
}

TEST(PreviewColumn, ThePaneTakesTheBrowsersHeightLessItsMargin) {
    QWidget browser;
    browser.resize(600, 430);
    PreviewColumn controller;
    controller.resize(250, 100);
    controller.setBrowser(&browser);
    EXPECT_EQ(controller.textPlainViewFrame(), QRect(0, 0, 250, 400));
    controller.windowSizeChange();
    EXPECT_EQ(controller.height(), 400);
}

TEST(PreviewColumn, AnOpenedArchivesEntryIsPreviewedThroughTheDocument) {
    clearSettings();
    ScratchDir dir;
    dir.write("src/docs/readme.txt", "read me, please");
    ASSERT_EQ(runShell(QStringLiteral("cd '%1/src' && zip -qr ../a.zip docs").arg(dir.path())), 0);
    ScriptedUi ui;
    ArchiveDocument document(ui, ui);
    document.open(dir.file("a.zip"));
    ASSERT_TRUE(waitUntilIdle(document));
    ArchiveEntry *docs = document.rootEntry()->findChildFolder("docs");
    ASSERT_TRUE(docs);
    ArchiveEntry *readme = docs->children().front().get();

    PreviewColumn controller;
    controller.setDocument(&document);
    controller.setRepresentedObject(readme);
    ui.selectedCurrent = {readme};
    document.viewFileInPreview();
    ASSERT_TRUE(waitUntilIdle(document));
    ASSERT_TRUE(controller.view()->textView());
    EXPECT_EQ(controller.view()->textView()->toPlainText(), "read me, please");

    // Detached, the document hands nothing to a pane that is gone.
    controller.setDocument(nullptr);
    document.viewFileInPreview();
    EXPECT_TRUE(waitUntilIdle(document));
}
