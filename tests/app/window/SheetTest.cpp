#include "WindowTestKit.h"

#include "app/dialogs/ProgressSheet.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>

class SheetTest : public WindowTest {};

TEST_F(SheetTest, TheSheetBelongsToItsWindowAndCancelLeavesNothingBehind) {
    // About 100 MB to write: many progress reports, each a chance to be cancelled.
    python("import zipfile\n"
           "with zipfile.ZipFile('big.zip', 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:\n"
           "    for i in range(12):\n"
           "        z.writestr('big/part%d.bin' % i, bytes(8 * 1024 * 1024))\n");
    auto other = openWindow();
    auto window = openWindow(dir_.file("big.zip"));
    auto *sheet = window->findChild<ProgressSheet *>();
    bool pressed = false;
    QObject::connect(sheet->indicator, &QProgressBar::valueChanged, sheet, [&](int value) {
        if (value > 0 && !pressed) {
            pressed = true;
            // Pressed from the event loop, as a click is, not inside the worker's report.
            QTimer::singleShot(0, sheet->cancelBtn,
                               [&] { QTest::mouseClick(sheet->cancelBtn, Qt::LeftButton); });
        }
    });
    other->activateWindow();
    clickToolButton(*window, "Extract");
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->windowHandle()->transientParent(), window->windowHandle())
        << "over its own window, whichever is active";
    EXPECT_EQ(sheet->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
              Qt::WindowFlags());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressed; }, 30000));
    settle(*window);
    QTest::qWait(300);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(window->isVisible()) << "a cancelled extraction never closes the window";
    EXPECT_TRUE(alerts_.isEmpty()) << alerts_.join('\n').toStdString();
    EXPECT_EQ(namesIn(dir_.path()), QStringList({"big.zip"}));
}
