#include "WindowTestKit.h"

#include "app/dialogs/ProgressController.h"
#include "app/dialogs/ProgressSheet.h"
#include "app/window/DocumentToolbar.h"
#include "document/ArchiveDocument.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class SheetCancelTest : public WindowTest {};

TEST_F(SheetCancelTest, CancelStopsTheExtractionAndLeavesNothingBehind) {
    // About 100 MB to write: many progress reports, each a chance to be cancelled.
    python("import zipfile\n"
           "with zipfile.ZipFile('big.zip', 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:\n"
           "    for i in range(12):\n"
           "        z.writestr('big/part%d.bin' % i, bytes(8 * 1024 * 1024))\n");
    Preferences::setCloseAfterExtract(true);
    auto window = openWindow(dir_.file("big.zip"));
    ProgressSheet &sheet = *window->progress().panelProgress();

    // Any alert would block the test: note it and dismiss it.
    QStringList alerts;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            alerts.append(alert->text());
            alert->close();
        }
    });
    watcher.start(20);

    bool pressed = false;
    QObject::connect(sheet.indicator, &QProgressBar::valueChanged, &sheet, [&](int value) {
        if (value > 0 && !pressed) {
            pressed = true;
            // Pressed from the event loop, as a click is, not inside the worker's report.
            QTimer::singleShot(0, sheet.cancelBtn, &QPushButton::click);
        }
    });
    window->toolbar().item("ToolBarItemUnArchive")->trigger();
    EXPECT_TRUE(sheet.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressed; }, 30000));
    settle(*window);
    QTest::qWait(300);

    EXPECT_FALSE(sheet.isVisible());
    EXPECT_TRUE(window->isVisible()) << "a cancelled extraction never closes the window";
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join('\n').toStdString();
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"big.zip"}));
}
