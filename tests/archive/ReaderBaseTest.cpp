#include "archive/ReaderBase.h"
#include "archive/ArchiveEntry.h"
#include "encoding/EncodingTestData.h"
#include "encoding/EncodingUtil.h"

#include <gtest/gtest.h>

namespace {

// A reader with no format of its own, to drive the shared machinery.
class ProbeReader : public ReaderBase {
public:
    using ReaderBase::ReaderBase;
};

std::unique_ptr<ProbeReader> probe() {
    static auto root = ArchiveEntry::rootEntry();
    return ReaderBase::create<ProbeReader>(QStringLiteral("/nowhere.zip"), root.get(), nullptr,
                                           QString());
}

} // namespace

TEST(ArchiveBaseNames, DetectionRunsOnceOnShortNameListsAndFieldsEndAtNul) {
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

    const QByteArray cyrillic = encodedIn("windows-1251", QStringLiteral("Документы/отчёт.doc"));
    reader->collectName(cyrillic.constData(), cyrillic.size());
    reader->detectCollectedNames();
    EXPECT_EQ(reader->encodingName(), "Shift_JIS") << "detection runs once per reader";

    // Names decoded in a detected or chosen encoding are in the readers' tables (zip's and
    // RAR's); a field ends at its first NUL.
    const char field[8] = {'a', 'b', 'c', '\0', '\0', '\0', '\0', '\0'};
    EXPECT_EQ(reader->decodeName(field, sizeof field), "abc");
    EXPECT_EQ(reader->decodeName(field, 0), "");
}
