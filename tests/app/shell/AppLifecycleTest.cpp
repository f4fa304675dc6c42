#include "app/shell/AppLifecycle.h"
#include "../window/WindowTestKit.h"
#include "app/preferences/PreferencesWindow.h"
#include "util/TempFolders.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <csignal>

namespace {

class AppDelegateTest : public WindowTest {
protected:
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

// A logout or kill quits the application through its event loop, so the temporary data goes
// as it does at Quit.
TEST(QuitSignals, TermAndHangUpQuitCleanly) {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer holds a handler back until the thread's next intercepted call, which an
    // idle event loop never makes; the release and AddressSanitizer runs cover this.
    GTEST_SKIP() << "signal handlers are deferred under ThreadSanitizer";
#endif
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        AppLifecycle delegate(*qApp);
        ASSERT_TRUE(QFileInfo(TempFolders::newItemFolder()).isDir());
        const QString root = TempFolders::root();
        QTimer::singleShot(0, [signal] { ::raise(signal); });
        EXPECT_EQ(runApplication(5000), 0);
        EXPECT_FALSE(QFileInfo::exists(root));
    }
}
