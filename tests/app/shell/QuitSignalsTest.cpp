#include "../window/WindowTestKit.h"
#include "app/shell/AppLifecycle.h"
#include "util/TempFolders.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>

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
