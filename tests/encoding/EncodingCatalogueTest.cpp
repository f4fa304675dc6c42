#include "EncodingTestData.h"
#include "support/TestDirs.h"

#include "encoding/EncodingUtil.h"

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

TEST(EncodingCatalogueTest, FileContentUsesTheGivenEncodingElseDetection) {
    ScratchDir dir;
    QString russian;
    const QByteArray cyrillic = nameBlock("windows-1251", namesOf("RussianNames"), &russian);
    const QString path = dir.write("notes.txt", cyrillic);
    EXPECT_EQ(EncodingUtil::readText(path, kAutomaticEncoding), russian);

    const auto asKoi8 = EncodingUtil::decodeWithCharsets(QStringList{"KOI8-R"}, cyrillic);
    ASSERT_TRUE(asKoi8 && *asKoi8 != russian);
    EXPECT_EQ(EncodingUtil::readText(path, EncodingUtil::encodingForName("KOI8-R")), asKoi8);
    // An encoding that cannot read the file gives way to detection.
    EXPECT_EQ(EncodingUtil::readText(path, kUTF8StringEncoding), russian);

    EXPECT_EQ(EncodingUtil::readText(dir.write("binary.bin", "\xff"), kAutomaticEncoding),
              std::nullopt);
    EXPECT_EQ(EncodingUtil::readText(dir.file("missing.txt"), kAutomaticEncoding), QString(""));
}

} // namespace
