#include "encoding/EncodingUtil.h"
#include "settings/Preferences.h"
#include "settings/RememberedEncodings.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/TestDirs.h"

#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

// The key and layout of earlier versions: a map from path to charset name.
QVariantMap storedHistory() {
    return SettingsStore::open()->value("SYSTEM_ENCODING_HISTORY").toMap();
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

TEST(RememberedEncodings, ChoicesArePerPathReplacedAndPrunedWhenTheFileVanished) {
    clearSettings();
    const QString first = QString::fromUtf8("/home/user/Архивы/отчёт.zip");
    const QString second = "/home/user/other.rar";
    EXPECT_EQ(RememberedEncodings::nameFor(first), std::nullopt);
    EXPECT_EQ(RememberedEncodings::encodingFor(first), kAutomaticEncoding);
    EXPECT_FALSE(RememberedEncodings::prune());
    EXPECT_FALSE(SettingsStore::open()->contains("SYSTEM_ENCODING_HISTORY"));

    RememberedEncodings::remember(first, "Shift_JIS");
    RememberedEncodings::remember(second, "GBK");
    RememberedEncodings::remember(first, "windows-1251");
    EXPECT_EQ(RememberedEncodings::nameFor(first), "windows-1251");
    EXPECT_EQ(RememberedEncodings::nameFor(second), "GBK");
    EXPECT_EQ(storedHistory(), (QVariantMap{{first, "windows-1251"}, {second, "GBK"}}));
    EXPECT_EQ(RememberedEncodings::encodingFor(first),
              EncodingUtil::encodingForName("windows-1251"));
    const std::pair<const char *, StringEncoding> readBack[] = {
        {"Automatic", kAutomaticEncoding},
        {"", kAutomaticEncoding},
        {"no-such-charset", kUTF8StringEncoding},
    };
    for (const auto &[name, encoding] : readBack) {
        RememberedEncodings::remember(second, name);
        EXPECT_EQ(RememberedEncodings::encodingFor(second), encoding) << name;
    }

    // Pruning forgets the files that are gone (the two above) and keeps the others.
    ScratchDir dir;
    const QString kept = dir.write("kept.zip", "PK");
    RememberedEncodings::remember(kept, "GBK");
    EXPECT_TRUE(RememberedEncodings::prune());
    EXPECT_EQ(RememberedEncodings::nameFor(kept), "GBK");
    EXPECT_EQ(RememberedEncodings::nameFor(first), std::nullopt);
    EXPECT_FALSE(RememberedEncodings::prune());
    EXPECT_EQ(storedHistory(), (QVariantMap{{kept, "GBK"}}));
}

} // namespace
