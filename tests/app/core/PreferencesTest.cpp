#include "app/core/Preferences.h"
#include "support/TestDirs.h"
#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

#include <gtest/gtest.h>

TEST(Preferences, DefaultsOnFirstLaunch) {
    clearSettings();
    EXPECT_TRUE(Preferences::getISExitAfterCloseLastWindowValue());
    EXPECT_TRUE(Preferences::getIsCloseWindowExtractByAppValue());
    EXPECT_FALSE(Preferences::getISAutoExtractFileArchiveValue());
    EXPECT_FALSE(Preferences::getISIgnoreHiddenFileWhileArchive());
}

TEST(Preferences, EachFlagIsStoredUnderItsOwnKey) {
    clearSettings();
    Preferences::saveISExitAfterCloseLastWindowValue(false);
    Preferences::savegetIsCloseWindowExtractByAppValue(false);
    Preferences::saveISAutoExtractFileArchive(true);
    Preferences::saveISIgnoreHiddenFileWhileArchive(true);

    auto settings = UserDefaults::open();
    EXPECT_EQ(settings->value("isExitAfterCloseLastWindow").toBool(), false);
    EXPECT_EQ(settings->value("isCloseWindowExtractByApp").toBool(), false);
    EXPECT_EQ(settings->value("isAutoExtractFileArchive").toBool(), true);
    EXPECT_EQ(settings->value("ISIgnoreHiddenFileWhileArchive").toBool(), true);

    EXPECT_FALSE(Preferences::getISExitAfterCloseLastWindowValue());
    EXPECT_FALSE(Preferences::getIsCloseWindowExtractByAppValue());
    EXPECT_TRUE(Preferences::getISAutoExtractFileArchiveValue());
    EXPECT_TRUE(Preferences::getISIgnoreHiddenFileWhileArchive());

    Preferences::saveISIgnoreHiddenFileWhileArchive(false);
    EXPECT_FALSE(Preferences::getISIgnoreHiddenFileWhileArchive());
}

TEST(Preferences, StoredValuesOfOtherTypesReadAsBooleans) {
    clearSettings();
    auto settings = UserDefaults::open();
    settings->setValue(SettingsKeys::kIsAutoExtractFileArchive, QStringLiteral("true"));
    settings->setValue(SettingsKeys::kIsExitAfterCloseLastWindow, 0);
    settings->sync();
    EXPECT_TRUE(Preferences::getISAutoExtractFileArchiveValue());
    EXPECT_FALSE(Preferences::getISExitAfterCloseLastWindowValue());
}
