#include "archive/ReaderBase.h"
#include "archive/ArchiveEntry.h"
#include "encoding/EncodingTestData.h"
#include "encoding/EncodingUtil.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// A reader with no format of its own, to drive the shared machinery.
class ProbeReader : public ReaderBase {
public:
    using ReaderBase::ReaderBase;
    using ReaderBase::setEpoch;
};

class TarEpochReader : public ProbeReader {
public:
    using ProbeReader::ProbeReader;
    void initialize() override { setEpoch(unixEpoch()); }
};

std::unique_ptr<ProbeReader> probe(StringEncoding chosen = kAutomaticEncoding) {
    static auto root = ArchiveEntry::rootEntry();
    return ReaderBase::create<ProbeReader>(QStringLiteral("/nowhere.zip"), root.get(), nullptr,
                                           QString(), chosen);
}

} // namespace

TEST(ArchiveBaseDates, EpochsAndIntervals) {
    auto root = ArchiveEntry::rootEntry();
    auto tar = ReaderBase::create<TarEpochReader>("/a.tar", root.get(), nullptr, QString());
    EXPECT_FALSE(tar->dateFromSeconds(0).has_value());
    EXPECT_EQ(tar->dateFromSeconds(86400),
              QDateTime(QDate(1970, 1, 2), QTime(0, 0), QTimeZone::utc()));

    auto zip = probe();
    ASSERT_TRUE(zip->epoch().has_value()) << "the factory runs the epoch hook";
    EXPECT_EQ(*zip->epoch(),
              QDateTime(QDate(1980, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone()));
    EXPECT_EQ(zip->dateFromSeconds(60)->toLocalTime().time(), QTime(0, 1));

    zip->setEpoch(std::nullopt);
    EXPECT_FALSE(zip->dateFromSeconds(60).has_value()) << "a reader without epoch has no dates";
}

TEST(ArchiveBaseNames, DetectionRunsOnceOnShortNameLists) {
    auto reader = probe();
    EXPECT_EQ(reader->encodingName(), "utf-8");
    EXPECT_EQ(reader->encoding(), kUTF8StringEncoding);
    const QStringList names = {QStringLiteral("報告書.txt"), QStringLiteral("写真/旅行.jpg"),
                               QStringLiteral("会議の資料.doc")};
    for (const QString &name : names) {
        const QByteArray bytes = encodedIn("Shift_JIS", name);
        reader->collectName(bytes.constData(), bytes.size());
    }
    reader->detectCollectedNames();
    EXPECT_EQ(reader->encodingName(), "Shift_JIS");
    EXPECT_EQ(reader->encoding(), EncodingUtil::encodingForName("Shift_JIS"));
    for (const QString &name : names) {
        const QByteArray bytes = encodedIn("Shift_JIS", name);
        EXPECT_EQ(reader->decodeName(bytes.constData(), bytes.size()), name);
    }

    const QByteArray cyrillic = encodedIn("windows-1251", QStringLiteral("Документы/отчёт.doc"));
    reader->collectName(cyrillic.constData(), cyrillic.size());
    reader->detectCollectedNames();
    EXPECT_EQ(reader->encodingName(), "Shift_JIS") << "detection runs once per reader";
}

TEST(ArchiveBaseNames, ChosenEncodingOverridesAndFieldsEndAtNul) {
    const QByteArray sjis = encodedIn("Shift_JIS", QStringLiteral("報告書.txt"));
    auto chosen = probe(EncodingUtil::encodingForName("ISO-8859-1"));
    EXPECT_EQ(chosen->decodeName(sjis.constData(), sjis.size()), QString::fromLatin1(sjis));

    auto plain = probe();
    const char field[8] = {'a', 'b', 'c', '\0', '\0', '\0', '\0', '\0'};
    EXPECT_EQ(plain->decodeName(field, sizeof field), "abc");
    EXPECT_EQ(plain->decodeName(field, 0), "");
    const QByteArray utf8 = QStringLiteral("naïve/файл.txt").toUtf8();
    EXPECT_EQ(plain->decodeName(utf8.constData(), utf8.size()), QStringLiteral("naïve/файл.txt"));
}
