#include "EncodingTestData.h"
#include "support/TestDirs.h"

#include "encoding/EncodingUtil.h"
#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

namespace {

const EncodingItem *findByName(const QList<EncodingItem> &items, const QString &name) {
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const EncodingItem &item) { return item.name() == name; });
    return found == items.end() ? nullptr : &*found;
}

TEST(EncodingCatalogueTest, CatalogueOffersEncodingsSortedCaseSensitivelyByShownName) {
    const QList<EncodingItem> items = EncodingUtil::catalogue();
    for (const char *name : {"UTF-8", "Shift_JIS", "windows-1251", "hp-roman8"}) {
        const EncodingItem *item = findByName(items, name);
        ASSERT_TRUE(item) << name;
        EXPECT_EQ(item->encoding(), EncodingUtil::encodingForName(name));
    }
    EXPECT_EQ(findByName(items, "windows-1251")->localizedName(), "Cyrillic (Windows)");
    // Without a display name the item shows its IANA name.
    EXPECT_EQ(findByName(items, "hp-roman8")->localizedName(), "hp-roman8");

    const QList<EncodingItem> ordered = EncodingUtil::catalogueSorted();
    ASSERT_EQ(ordered.size(), items.size());
    qsizetype lastUpper = -1;
    qsizetype firstLower = ordered.size();
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        const QString shown = ordered[i].localizedName();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_TRUE(i == 0 || ordered[i - 1].localizedName() <= shown) << shown.toStdString();
        if (shown[0].isUpper())
            lastUpper = i;
        else if (shown[0].isLower())
            firstLower = qMin(firstLower, i);
    }
    ASSERT_LT(firstLower, ordered.size()); // "hp-roman8" and the like
    EXPECT_LT(lastUpper, firstLower);
}

TEST(EncodingCatalogueTest, RememberedChoicesArePerPathAndReplaced) {
    clearSettings();
    const QString first = QString::fromUtf8("/home/user/Архивы/отчёт.zip");
    const QString second = "/home/user/other.rar";
    EXPECT_EQ(EncodingUtil::rememberedEncodingName(first), std::nullopt);
    EXPECT_EQ(EncodingUtil::rememberedEncoding(first), kAutomaticEncoding);
    EXPECT_FALSE(EncodingUtil::pruneRememberedEncodings());
    EXPECT_FALSE(UserDefaults::open()->contains(SettingsKeys::kSystemEncodingHistory));

    EncodingUtil::rememberEncoding(first, "Shift_JIS");
    EncodingUtil::rememberEncoding(second, "GBK");
    EncodingUtil::rememberEncoding(first, "windows-1251");
    EXPECT_EQ(EncodingUtil::rememberedEncodingName(first), "windows-1251");
    EXPECT_EQ(EncodingUtil::rememberedEncodingName(second), "GBK");
    EXPECT_EQ(EncodingUtil::rememberedEncoding(first),
              EncodingUtil::encodingForName("windows-1251"));
    const std::pair<const char *, StringEncoding> readBack[] = {
        {"Automatic", kAutomaticEncoding},
        {"", kAutomaticEncoding},
        {"no-such-charset", kUTF8StringEncoding},
    };
    for (const auto &[name, encoding] : readBack) {
        EncodingUtil::rememberEncoding(second, name);
        EXPECT_EQ(EncodingUtil::rememberedEncoding(second), encoding) << name;
    }
}

TEST(EncodingCatalogueTest, PruningForgetsOnlyVanishedFiles) {
    clearSettings();
    ScratchDir dir;
    const QString kept = dir.write("kept.zip", "PK");
    const QString vanished = dir.file("vanished.zip");
    EncodingUtil::rememberEncoding(kept, "GBK");
    EncodingUtil::rememberEncoding(vanished, "Shift_JIS");

    EXPECT_TRUE(EncodingUtil::pruneRememberedEncodings());
    EXPECT_EQ(EncodingUtil::rememberedEncodingName(kept), "GBK");
    EXPECT_EQ(EncodingUtil::rememberedEncodingName(vanished), std::nullopt);
    EXPECT_FALSE(EncodingUtil::pruneRememberedEncodings());
    EXPECT_EQ(EncodingUtil::rememberedEncodingName(kept), "GBK");
}

TEST(EncodingCatalogueTest, FileContentUsesTheRememberedEncodingElseDetection) {
    clearSettings();
    ScratchDir dir;
    QString russian;
    const QByteArray cyrillic = nameBlock("windows-1251", kRussianNames, &russian);
    const QString path = dir.write("notes.txt", cyrillic);
    EXPECT_EQ(EncodingUtil::readText(path), russian);

    EncodingUtil::rememberEncoding(path, "KOI8-R");
    const auto asKoi8 = EncodingUtil::decodeWithCharsets(QStringList{"KOI8-R"}, cyrillic);
    ASSERT_TRUE(asKoi8 && *asKoi8 != russian);
    EXPECT_EQ(EncodingUtil::readText(path), asKoi8);
    // A remembered encoding that cannot read the file gives way to detection.
    EncodingUtil::rememberEncoding(path, "UTF-8");
    EXPECT_EQ(EncodingUtil::readText(path), russian);

    EXPECT_EQ(EncodingUtil::readText(dir.write("binary.bin", "\xff")), std::nullopt);
    EXPECT_EQ(EncodingUtil::readText(dir.file("missing.txt")), QString(""));
}

} // namespace
