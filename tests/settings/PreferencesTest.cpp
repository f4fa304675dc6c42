#include "settings/Preferences.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

TEST(Preferences, DefaultsOnFirstLaunch) {
    clearSettings();
    EXPECT_TRUE(Preferences::exitAfterLastWindow());
    EXPECT_TRUE(Preferences::closeAfterExtract());
    EXPECT_FALSE(Preferences::autoExtractOnOpen());
    EXPECT_FALSE(Preferences::ignoreHiddenFiles());
}

TEST(Preferences, EachFlagIsStoredUnderItsOwnKey) {
    clearSettings();
    Preferences::setExitAfterLastWindow(false);
    Preferences::setCloseAfterExtract(false);
    Preferences::setAutoExtractOnOpen(true);
    Preferences::setIgnoreHiddenFiles(true);

    auto settings = SettingsStore::open();
    EXPECT_EQ(settings->value("isExitAfterCloseLastWindow").toBool(), false);
    EXPECT_EQ(settings->value("isCloseWindowExtractByApp").toBool(), false);
    EXPECT_EQ(settings->value("isAutoExtractFileArchive").toBool(), true);
    EXPECT_EQ(settings->value("ISIgnoreHiddenFileWhileArchive").toBool(), true);

    EXPECT_FALSE(Preferences::exitAfterLastWindow());
    EXPECT_FALSE(Preferences::closeAfterExtract());
    EXPECT_TRUE(Preferences::autoExtractOnOpen());
    EXPECT_TRUE(Preferences::ignoreHiddenFiles());

    Preferences::setIgnoreHiddenFiles(false);
    EXPECT_FALSE(Preferences::ignoreHiddenFiles());
}

TEST(Preferences, StoredValuesOfOtherTypesReadAsBooleans) {
    clearSettings();
    auto settings = SettingsStore::open();
    settings->setValue(SettingsKeys::kIsAutoExtractFileArchive, QStringLiteral("true"));
    settings->setValue(SettingsKeys::kIsExitAfterCloseLastWindow, 0);
    settings->sync();
    EXPECT_TRUE(Preferences::autoExtractOnOpen());
    EXPECT_FALSE(Preferences::exitAfterLastWindow());
}
