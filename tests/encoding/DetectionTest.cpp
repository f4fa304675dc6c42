#include "EncodingTestData.h"

#include "encoding/CharsetDetector.h"
#include "encoding/EncodingUtil.h"
#include "encoding/NameEncodingDetector.h"
#include "encoding/StringEncoding.h"

namespace {

TEST(DetectionTest, NamesOfEachLanguageAreDetectedAndDecoded) {
    const std::tuple<const char *, QStringList, const char *> cases[] = {
        {"Shift_JIS", namesOf("JapaneseNames"), "Shift_JIS"},
        {"GB18030", namesOf("ChineseNames"), "GB18030"},
        {"GBK", namesOf("ChineseNames"), "GB18030"},
        {"windows-1251", namesOf("RussianNames"), "windows-1251"},
        {"windows-1252", {"Café crème.txt", "Größe.txt", "Œuvres complètes.doc"}, "windows-1252"},
        {"ISO-8859-1", {"Café crème.txt", "Größe.txt", "Naïve résumé.doc"}, "ISO-8859-1"},
        {"UTF-8", {"Документы/отчёт.doc", "報告書.txt", "Größe.txt"}, "UTF-8"},
    };
    for (const auto &[writtenIn, names, detected] : cases) {
        SCOPED_TRACE(writtenIn);
        QString text;
        const QByteArray data = nameBlock(writtenIn, names, &text);
        const std::optional<QStringList> candidates = CharsetDetector::candidates(data);
        ASSERT_TRUE(candidates && !candidates->isEmpty());
        EXPECT_EQ(candidates->first(), detected);
        EXPECT_EQ(EncodingUtil::detectCharset(candidates, data), detected);
        EXPECT_EQ(CharsetDetector::decode(data), text);
    }
}

TEST(DetectionTest, FirstCandidateThatDecodesWinsAndNoneMeansNothing) {
    const QString russian = QString::fromUtf8("Документы/отчёт.doc");
    const QByteArray bytes = encodedIn("windows-1251", russian);
    const auto asKoi8 = EncodingUtil::decodeWithCharsets(QStringList{"KOI8-R"}, bytes);
    ASSERT_TRUE(asKoi8 && *asKoi8 != russian);
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(QStringList{"windows-1251", "KOI8-R"}, bytes),
              russian);
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(QStringList{"KOI8-R", "windows-1251"}, bytes),
              asKoi8);
    // The winner is named as the list spells it.
    EXPECT_EQ(EncodingUtil::detectCharset(QStringList{"UTF-8", "cp1251"}, bytes), "cp1251");

    const QStringList failing{"UTF-8", "US-ASCII"};
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(failing, bytes), std::nullopt);
    EXPECT_EQ(EncodingUtil::detectCharset(failing, bytes), std::nullopt);
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(std::nullopt, QByteArray("ab")), std::nullopt);
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(QStringList{}, QByteArray("ab")), std::nullopt);
    // An unknown name is tried as UTF-8.
    const QStringList unknown{"no-such-charset"};
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(unknown, russian.toUtf8()), russian);
    EXPECT_EQ(EncodingUtil::decodeWithCharsets(unknown, bytes), std::nullopt);
}

// Bytes ICU cannot match are not decoded lossily; the C-string form stops at NUL and at the
// given length.
TEST(DetectionTest, UnmatchedBytesAndCStrings) {
    const QByteArray unmatched("\xff");
    ASSERT_EQ(CharsetDetector::candidates(unmatched), std::nullopt);
    EXPECT_EQ(CharsetDetector::decode(unmatched), std::nullopt);
    EXPECT_EQ(CharsetDetector::decodeCString(unmatched.constData(), 1), std::nullopt);

    const QString name = QString::fromUtf8("Документы/отчёт.doc");
    const QByteArray field = name.toUtf8() + QByteArray("\0tail", 5);
    EXPECT_EQ(CharsetDetector::decodeCString(field.constData(), field.size()), name);
    // A name without NUL must not be read past its length.
    EXPECT_EQ(CharsetDetector::decodeCString(field.constData(), name.toUtf8().size() - 4),
              name.chopped(4));
    EXPECT_EQ(CharsetDetector::decodeCString(field.constData(), 0), QString(""));
}

} // namespace

// Names from DOS or Windows are written in the OEM code page, by some tools in an ANSI or ISO
// one (which ICU may name only as a lesser candidate): every list of the corpus is read exactly
// (the full comparison against ICU alone is bench/name_encoding_bench).
TEST(DetectionTest, CodePagesOfDosAndWindowsAreReadExactly) {
    ASSERT_GT(nameLists().size(), 10);
    for (const NameList &list : nameLists()) {
        SCOPED_TRACE(list.codePage.toStdString() + " " + list.label);
        QByteArrayList names;
        for (const QString &name : list.names)
            names.append(encodedIn(list.codePage.constData(), name));
        const std::optional<QString> charset =
            NameEncodingDetector::detectCharset(names, NameHostSystem::DosOrWindows);
        ASSERT_TRUE(charset);
        const StringEncoding encoding = EncodingUtil::encodingForName(*charset);
        for (qsizetype i = 0; i < names.size(); ++i)
            EXPECT_EQ(StringEncodings::decode(names[i].constData(), names[i].size(), encoding),
                      list.names[i])
                << charset->toStdString();
    }
}

// Names in plain ASCII read alike in every charset: no system's names name one, which the
// window would show as the detected encoding.
TEST(DetectionTest, PlainAsciiNamesNameNoCharset) {
    const QByteArrayList names{"readme.txt", "src/main.c", "Makefile"};
    for (const NameHostSystem host : {NameHostSystem::DosOrWindows, NameHostSystem::Other})
        EXPECT_EQ(NameEncodingDetector::detectCharset(names, host), std::nullopt);
}
