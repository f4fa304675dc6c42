#include "app/shell/AppLifecycle.h"
#include "../window/WindowTestKit.h"
#include "app/preferences/PreferencesWindow.h"
#include "encoding/EncodingUtil.h"
#include "settings/Preferences.h"
#include "settings/RememberedEncodings.h"
#include "support/TestDirs.h"
#include "util/TempFolders.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
    void TearDown() override { clearSettings(); }

    // Shows a window, closes it, and runs the application until it quits or 300 ms have passed;
    // true when it quit by itself.
    static bool quitsAfterClosingTheLastWindow() {
        AppLifecycle delegate(*qApp);
        QWidget window;
        window.show();
        QTimer::singleShot(0, &window, &QWidget::close);
        return runApplication(300) != -1;
    }
};

} // namespace

static void toggleExitPreference() {
    PreferencesWindow::showWindow();
    clickPreference("After closing the last window, exit the application");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(AppDelegateTest, QuittingAfterTheLastWindowFollowsTheSettingAtThatMoment) {
    EXPECT_TRUE(quitsAfterClosingTheLastWindow()) << "the default";
    toggleExitPreference();
    EXPECT_FALSE(quitsAfterClosingTheLastWindow());
    toggleExitPreference();
    EXPECT_TRUE(quitsAfterClosingTheLastWindow());
}

TEST_F(AppDelegateTest, QuittingRemovesTheTempRootAndForgetsEncodingsOfVanishedArchives) {
    ScratchDir dir;
    const QString kept = dir.write("kept.zip", "PK");
    const QString gone = dir.write("gone.zip", "PK");
    RememberedEncodings::remember(kept, "Shift_JIS");
    RememberedEncodings::remember(gone, "GBK");
    QFile::remove(gone);
    const QString preview = TempFolders::newItemFolder();
    const QString root = TempFolders::root();
    ASSERT_TRUE(QDir().mkpath(preview + "/nested/deeper"));
    QFile file(preview + "/nested/copy.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    AppLifecycle delegate(*qApp);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(RememberedEncodings::nameFor(kept), "Shift_JIS");
    EXPECT_FALSE(RememberedEncodings::nameFor(gone));
}
