#include "util/StringUtil.h"
#include "util/DateUtil.h"

#include <QSet>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace StringUtil;

TEST(StringUtil, TrimStripsEveryRepetitionAtBothEnds) {
    EXPECT_EQ(trim("//a/b//", "/"), "a/b");
    EXPECT_EQ(trim("///", "/"), "");
    EXPECT_EQ(trim("/", "/"), "");
    EXPECT_EQ(trim("abc", "/"), "abc");
    EXPECT_EQ(trimLeft("--x--", "-"), "x--");
    EXPECT_EQ(trimRight("--x--", "-"), "--x");
    EXPECT_EQ(trimRight("ab", "abc"), "ab");
    EXPECT_EQ(trimLeft("abab!", "ab"), "!");
    EXPECT_EQ(trimLeft("x", ""), "x");
}

TEST(StringUtil, SubStringAfterMarker) {
    EXPECT_EQ(StringUtil::textAfter("a/b/c", "/"), "b/c");
    EXPECT_EQ(StringUtil::textAfter("a/b/c", "/", StringUtil::BackwardsSearch), "c");
    EXPECT_EQ(StringUtil::textAfter("abc/", "/"), "");
    EXPECT_EQ(StringUtil::textAfter("abc", "/"), "");
    EXPECT_EQ(StringUtil::textAfter("xAbcy", "abc", StringUtil::CaseInsensitiveSearch), "y");
    EXPECT_EQ(StringUtil::textAfter(QString(), "/"), "");
}

TEST(StringUtil, NullAndUuid) {
    EXPECT_FALSE(StringUtil::orEmpty(QString()).isNull());
    EXPECT_EQ(StringUtil::orEmpty("x"), "x");
    QSet<QString> seen;
    for (int i = 0; i < 100; ++i) {
        const QString uuid = StringUtil::newUuid();
        EXPECT_EQ(uuid.size(), 36);
        EXPECT_EQ(uuid, uuid.toUpper());
        EXPECT_EQ(uuid.count('-'), 4);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100);
}

TEST(DateUtil, GmtParsingIgnoresTheLocalZone) {
    const auto date = DateUtil::stringToDateGMT("2013-05-01 10:20:30");
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(date->toUTC(), QDateTime(QDate(2013, 5, 1), QTime(10, 20, 30), QTimeZone::utc()));
    EXPECT_FALSE(DateUtil::stringToDateGMT("not a date").has_value());
    EXPECT_FALSE(DateUtil::stringToDateGMT("").has_value());
    const auto zoned = DateUtil::stringToDate("01/02/2020 03:04", "dd/MM/yyyy HH:mm",
                                              QTimeZone(QByteArrayLiteral("Asia/Tokyo")));
    ASSERT_TRUE(zoned.has_value());
    EXPECT_EQ(zoned->toUTC(), QDateTime(QDate(2020, 1, 31), QTime(18, 4), QTimeZone::utc()));
}
