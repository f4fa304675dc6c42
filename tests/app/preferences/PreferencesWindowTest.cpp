#include "app/preferences/PreferencesWindow.h"
#include "settings/Preferences.h"
#include "settings/SettingsKeys.h"
#include "support/TestDirs.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QSettings>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

struct Setting {
    QCheckBox *(PreferencesWindow::*box)() const;
    const char *title;
    const char *key;
    bool (*read)();
    void (*save)(bool);
};

const QList<Setting> kSettings = {
    {&PreferencesWindow::autoExtract, "Automatic extract the file archive",
     SettingsKeys::kIsAutoExtractFileArchive, &Preferences::autoExtractOnOpen,
     &Preferences::setAutoExtractOnOpen},
    {&PreferencesWindow::closeWindowExtract, "Close the window after extracting files",
     SettingsKeys::kIsCloseWindowExtractByApp, &Preferences::closeAfterExtract,
     &Preferences::setCloseAfterExtract},
    {&PreferencesWindow::exitAfterLastWindow, "After closing the last window, exit the application",
     SettingsKeys::kIsExitAfterCloseLastWindow, &Preferences::exitAfterLastWindow,
     &Preferences::setExitAfterLastWindow},
    {&PreferencesWindow::ignoreHiddenFilesCheck, "The archive to ignore hidden files",
     SettingsKeys::kIgnoreHiddenFileWhileArchive, &Preferences::ignoreHiddenFiles,
     &Preferences::setIgnoreHiddenFiles},
};

// What another process would read from the settings file.
QVariant storedValue(const char *key) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kist"),
                       QStringLiteral("Kist"));
    return settings.value(QLatin1String(key));
}

class PreferencesWindowTest : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
    void TearDown() override { clearSettings(); }
};

} // namespace

TEST_F(PreferencesWindowTest, OneGeneralTabWithTheFourTitledBoxesShowingTheDefaults) {
    PreferencesWindow window;
    ASSERT_EQ(window.tabView()->count(), 1);
    EXPECT_EQ(window.tabView()->tabText(0), "General");
    EXPECT_EQ(window.findChildren<QCheckBox *>().size(), kSettings.size());
    for (const Setting &setting : kSettings) {
        QCheckBox *box = (window.*setting.box)();
        EXPECT_EQ(box->text(), setting.title);
        EXPECT_EQ(box->isChecked(), setting.read()) << setting.key;
    }
    // First launch: quit after the last window and close after extracting; nothing else.
    EXPECT_FALSE(window.autoExtract()->isChecked());
    EXPECT_TRUE(window.closeWindowExtract()->isChecked());
    EXPECT_TRUE(window.exitAfterLastWindow()->isChecked());
    EXPECT_FALSE(window.ignoreHiddenFilesCheck()->isChecked());
}

TEST_F(PreferencesWindowTest, EveryClickIsStoredAtOnceAndShownWhenTheWindowOpensAgain) {
    for (const Setting &setting : kSettings) {
        PreferencesWindow window;
        QCheckBox *box = (window.*setting.box)();
        const bool before = box->isChecked();
        box->click();
        EXPECT_EQ(setting.read(), !before) << setting.key;
        EXPECT_EQ(storedValue(setting.key), QVariant(!before)) << setting.key;

        setting.save(before);
        window.hide();
        window.show();
        EXPECT_EQ(box->isChecked(), before) << "reopened window shows " << setting.key;
        window.close();
    }
}

TEST_F(PreferencesWindowTest, TheMenuCommandOpensOneSharedWindow) {
    QObject owner;
    QAction *action = PreferencesWindow::createAction(&owner);
    EXPECT_FALSE(PreferencesWindow::openWindow());
    action->trigger();
    PreferencesWindow *window = PreferencesWindow::openWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    action->trigger();
    EXPECT_EQ(PreferencesWindow::openWindow(), window);

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(PreferencesWindow::openWindow());
}
