#include "app/preview/PreviewViewController.h"
#include "app/preview/TextPlainView.h"
#include "archive/ZipEntry.h"
#include "document/FileSystemNode.h"
#include "document/ScriptedUi.h"
#include "document/ZipDocument.h"
#include "support/TestDirs.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

TEST(PreviewViewController, ANewPaneOnlyForAnotherItem) {
    ScratchDir dir;
    const QString path = dir.write("a.txt", "a");
    FileSystemNode first(path);
    FileSystemNode samePath(path);
    FileSystemNode other(dir.write("b.txt", "b"));
    PreviewViewController controller;

    controller.setRepresentedObject(&first);
    TextPlainView *pane = controller.view();
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

TEST(PreviewViewController, ThePaneTakesTheBrowsersHeightLessItsMargin) {
    QWidget browser;
    browser.resize(600, 430);
    PreviewViewController controller;
    controller.resize(250, 100);
    controller.setBrowser(&browser);
    EXPECT_EQ(controller.textPlainViewFrame(), QRect(0, 0, 250, 400));
    controller.windowSizeChange();
    EXPECT_EQ(controller.height(), 400);
}

TEST(PreviewViewController, AnOpenedArchivesEntryIsPreviewedThroughTheDocument) {
    clearSettings();
    ScratchDir dir;
    dir.write("src/docs/readme.txt", "read me, please");
    ASSERT_EQ(runShell(QStringLiteral("cd '%1/src' && zip -qr ../a.zip docs").arg(dir.path())), 0);
    ScriptedUi ui;
    ZipDocument document(ui, ui);
    document.loadFileStart(dir.file("a.zip"));
    ASSERT_TRUE(waitUntilIdle(document));
    ZipEntry *docs = document.rootEntry()->findDirEntryCheckLeaf("docs");
    ASSERT_TRUE(docs);
    ZipEntry *readme = docs->childEntries().front().get();

    PreviewViewController controller;
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
