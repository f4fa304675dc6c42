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

    // Compared case-sensitively, "hp-roman8" comes after every name starting in capitals.
    const QList<EncodingItem> ordered = EncodingUtil::catalogueSorted();
    ASSERT_EQ(ordered.size(), items.size());
    for (qsizetype i = 1; i < ordered.size(); ++i)
        EXPECT_LE(ordered[i - 1].localizedName(), ordered[i].localizedName());
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
