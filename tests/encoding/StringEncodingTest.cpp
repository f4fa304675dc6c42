#include "EncodingTestData.h"

#include "encoding/EncodingUtil.h"
#include "encoding/StringEncoding.h"

#include <QSet>

using namespace StringEncodings;

namespace {

TEST(StringEncodingTest, NamesResolveCaseInsensitivelyThroughAliases) {
    const std::pair<QStringList, QString> cases[] = {
        {{"utf-8", "UTF8", "Utf-8"}, "UTF-8"},
        {{"shift_jis", "SJIS", "MS_Kanji"}, "Shift_JIS"},
        {{"WINDOWS-1252", "cp1252"}, "windows-1252"},
        {{"gbk", "CP936"}, "GBK"},
        {{"GB18030", "gb-18030"}, "gb18030"},
    };
    for (const auto &[aliases, iana] : cases) {
        const StringEncoding expected = fromIANAName(iana);
        EXPECT_EQ(ianaName(expected), iana);
        for (const QString &alias : aliases)
            EXPECT_EQ(fromIANAName(alias), expected) << alias.toStdString();
    }
    EXPECT_EQ(fromIANAName("utf-8"), kUTF8StringEncoding);
    // The detector reports names such as "IBM420_rtl" that no converter carries.
    for (const QString &name :
         {QString(), QString(""), QString("no-such"), QString("IBM420_rtl")}) {
        EXPECT_EQ(fromIANAName(name), kAutomaticEncoding) << name.toStdString();
        EXPECT_EQ(EncodingUtil::encodingForName(name), kUTF8StringEncoding);
    }
    EXPECT_EQ(ianaName(kAutomaticEncoding), std::nullopt);
}

TEST(StringEncodingTest, OfferedEncodingsHaveDistinctNumbersThatRoundTrip) {
    const QList<StringEncoding> offered = availableEncodings();
    ASSERT_GT(offered.size(), 50);
    EXPECT_EQ(offered.count(kUTF8StringEncoding), 1);
    QSet<StringEncoding> numbers;
    QSet<QString> shown;
    for (const StringEncoding encoding : offered) {
        const QString name = ianaName(encoding).value_or(QString());
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(numbers.contains(encoding)) << name.toStdString();
        EXPECT_NE(encoding, kAutomaticEncoding);
        EXPECT_EQ(fromIANAName(name.toUpper()), encoding) << name.toStdString();
        const QString display = displayName(encoding);
        EXPECT_TRUE(display.isEmpty() || !shown.contains(display)) << display.toStdString();
        numbers.insert(encoding);
        shown.insert(display);
    }
}

TEST(StringEncodingTest, StrictDecodingFailsAsAWholeOnInvalidOrUnmappableBytes) {
    QByteArray everyAscii;
    for (int byte = 0; byte < 0x80; ++byte)
        everyAscii.append(char(byte));
    const struct {
        const char *charset;
        QByteArray bytes;
        std::optional<QString> text; // none: rejected
    } cases[] = {
        {"UTF-8", "ok\xc3\x28", {}},       // lead byte without its continuation
        {"UTF-8", "\xc0\xaf", {}},         // overlong "/"
        {"UTF-8", "\xed\xa0\x80", {}},     // encoded surrogate
        {"UTF-8", "abc\xe6\x97", {}},      // cut off at the end
        {"windows-1253", "\xc1\xd2", {}},  // 0xD2 is unassigned
        {"US-ASCII", "na\xefve", {}},      // beyond 7 bits
        {"Shift_JIS", "\x95\xf1\x82", {}}, // lead byte at the end
        {"windows-1252", "\x80", "€"},
        {"Shift_JIS", "", ""},
        // ASCII takes a quick way through UTF-8, up to the first byte beyond it.
        {"UTF-8", everyAscii, QString::fromLatin1(everyAscii)},
        {"UTF-8", "abc\x80", {}},
        {"UTF-8", "\xff-abc", {}},
        {"UTF-8", "caf\xc3\xa9.txt", "café.txt"},
    };
    for (const auto &[charset, bytes, text] : cases)
        EXPECT_EQ(decode(bytes.constData(), bytes.size(), fromIANAName(charset)), text)
            << charset << " " << bytes.toHex().constData();
    EXPECT_EQ(decode("abc", 3, kAutomaticEncoding), std::nullopt);

    // Long enough to take several conversion rounds.
    const QString text = QString::fromUtf8("Документы/отчёт.doc 報告書.txt ").repeated(5000);
    for (const char *charset : {"UTF-8", "GB18030", "UTF-16LE"}) {
        const QByteArray bytes = encodedIn(charset, text);
        EXPECT_EQ(decode(bytes.constData(), bytes.size(), fromIANAName(charset)), text) << charset;
    }
}

} // namespace
