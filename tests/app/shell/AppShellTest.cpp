#include "app/shell/AppShell.h"
#include "../window/WindowTestKit.h"
#include "app/preferences/PreferencesWindow.h"
#include "app/shell/AppLifecycle.h"
#include "app/shell/SingleInstance.h"
#include "document/ArchiveDocument.h"
#include "document/ScriptedUi.h"
#include "settings/RememberedEncodings.h"
#include "util/TempFolders.h"

#include <QTest>

#include <csignal>
#include <future>

class AppShellTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        dir_.write("src/a.txt", "a");
        shell("cd src && zip -q ../one.zip a.txt && zip -q ../two.zip a.txt && "
              "zip -q ../three.zip a.txt");
    }
    void TearDown() override {
        qDeleteAll(windows());
        WindowTest::TearDown();
    }

    // The document windows on show, in the controller's order.
    QList<DocumentWindow *> windows() {
        QList<DocumentWindow *> shown;
        for (ArchiveDocument *document : shell_.controller().documents()) {
            if (DocumentWindow *window = shell_.windowOf(*document))
                shown.append(window);
        }
        return shown;
    }
    QStringList openedPaths() {
        QStringList paths;
        for (DocumentWindow *window : windows()) {
            EXPECT_TRUE(waitUntilIdle(window->document()));
            EXPECT_TRUE(window->isVisible());
            paths.append(QFileInfo(window->document().filePath()).fileName());
        }
        return paths;
    }

    ScriptedUi ui_;
    AppShell shell_{ui_};
};

// The keys open a new window and close it; an archive that cannot be opened is reported and
// leaves the empty window for the next one.
TEST_F(AppShellTest, WithoutArchivesOneEmptyWindowOpensAndTheNextArchiveFillsIt) {
    shell_.openFiles({});
    ASSERT_EQ(windows().size(), 1);
    DocumentWindow *empty = windows().first();
    EXPECT_TRUE(empty->document().isEmpty());
    press(*empty, "Ctrl+N");
    ASSERT_EQ(windows().size(), 2);
    press(*windows().last(), "Ctrl+W");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(windows(), QList<DocumentWindow *>{empty})
        << "a closed window goes with its document";
    dir_.write("notes.txt", "not an archive");
    shell_.openFiles({dir_.file("notes.txt"), dir_.file("missing.zip")});
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 2);
    EXPECT_EQ(windows(), QList<DocumentWindow *>{empty});
    EXPECT_TRUE(empty->document().isEmpty());

    shell_.openFiles({dir_.file("one.zip"), dir_.file("two.zip")});
    EXPECT_EQ(windows().first(), empty);
    EXPECT_EQ(openedPaths(), (QStringList{"one.zip", "two.zip"}));
}

TEST_F(AppShellTest, ArchivesDroppedTogetherFillTheWindowThenAnEmptyOneThenNewOnes) {
    shell_.openFiles({dir_.file("one.zip")});
    shell_.newWindow();
    shell_.newWindow();
    drop(*windows().at(1), {dir_.file("two.zip"), dir_.file("three.zip"), dir_.file("one.zip")});
    EXPECT_EQ(openedPaths(), (QStringList{"one.zip", "two.zip", "three.zip"}))
        << "one.zip, open already, keeps its one window";
}

// Quitting also forgets the encodings remembered for archives that are gone.
TEST_F(AppShellTest, QuitClosesEveryWindowAndRemovesTheTempRoot) {
    AppLifecycle delegate(*qApp);
    shell_.openFiles({dir_.file("one.zip")});
    shell_.newWindow();
    RememberedEncodings::remember(dir_.file("two.zip"), "Shift_JIS");
    RememberedEncodings::remember(dir_.file("three.zip"), "GBK");
    QFile::remove(dir_.file("three.zip"));
    const QString nested = TempFolders::newItemFolder() + "/nested";
    ASSERT_TRUE(QDir().mkpath(nested + "/deeper"));
    ASSERT_TRUE(QFile(nested + "/copy.txt").open(QIODevice::WriteOnly));
    const QString root = TempFolders::root();
    QTimer::singleShot(0, [this] { chooseFromMenu(*windows().first(), {"File", "Quit"}); });
    EXPECT_NE(runApplication(5000), -1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(RememberedEncodings::nameFor(dir_.file("two.zip")), "Shift_JIS");
    EXPECT_FALSE(RememberedEncodings::nameFor(dir_.file("three.zip")));
}

// A later launch hands its archives to the running instance over the session bus and ends.
TEST_F(AppShellTest, ASecondLaunchHandsItsArchivesToTheRunningInstance) {
    SingleInstance running;
    ASSERT_TRUE(running.registerInstance()) << "no private session bus";
    QObject::connect(&running, &SingleInstance::openRequested, &shell_, &AppShell::openLaunched);
    // Started through the shell (posix_spawn, not fork: ThreadSanitizer allows no fork of a
    // threaded process), from a thread while this one answers the bus.
    const auto launch = [](const QStringList &arguments) {
        QString command = QStringLiteral("timeout 60 '" KIST_APP_PATH "'");
        for (const QString &argument : arguments)
            command += " '" + argument + "'";
        auto status = std::async(std::launch::async, [command] { return runShell(command); });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return status.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            70000));
        return status.get();
    };
    EXPECT_EQ(launch({dir_.file("one.zip"), dir_.file("two.zip")}), 0);
    EXPECT_EQ(launch({dir_.file("one.zip")}), 0);
    EXPECT_EQ(openedPaths(), (QStringList{"one.zip", "two.zip"}));
    EXPECT_EQ(launch({}), 0);
    EXPECT_EQ(windows().size(), 3) << "a launch without archives asks for a window";

    // Without a bus, or with nobody answering, a launch runs on its own.
    SingleInstance alone(QDBusConnection::connectToBus("unix:path=/nonexistent", "no-bus"));
    EXPECT_FALSE(alone.registerInstance());
    EXPECT_FALSE(alone.handOver({dir_.file("one.zip")}));
}

class AppDelegateTest : public WindowTest {};

// Shows a window, closes it, and runs the application until it quits or 300 ms have passed;
// true when it quit by itself.
static bool quitsAfterClosingTheLastWindow() {
    AppLifecycle delegate(*qApp);
    QWidget window;
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    return runApplication(300) != -1;
}

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
