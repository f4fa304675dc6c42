#include "settings/Preferences.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

TEST(Preferences, StoredValuesOfOtherTypesReadAsBooleans) {
    clearSettings();
    auto settings = SettingsStore::open();
    settings->setValue(SettingsKeys::kIsAutoExtractFileArchive, QStringLiteral("true"));
    settings->setValue(SettingsKeys::kIsExitAfterCloseLastWindow, 0);
    settings->sync();
    EXPECT_TRUE(Preferences::autoExtractOnOpen());
    EXPECT_FALSE(Preferences::exitAfterLastWindow());
}
