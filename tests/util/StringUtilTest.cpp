#include "util/StringUtil.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace StringUtil;

TEST(StringUtil, TrimStripsEveryRepetitionAtBothEnds) {
    EXPECT_EQ(trim("//a/b//", "/"), "a/b");
    EXPECT_EQ(trim("///", "/"), "");
    EXPECT_EQ(trim("abc", "/"), "abc");
    EXPECT_EQ(trimLeft("--x--", "-"), "x--");
    EXPECT_EQ(trimRight("--x--", "-"), "--x");
    EXPECT_EQ(trimRight("ab", "abc"), "ab");
    EXPECT_EQ(trimLeft("abab!", "ab"), "!");
    EXPECT_EQ(trimLeft("x", ""), "x");
}

TEST(StringUtil, TextAfterTheFirstMarker) {
    EXPECT_EQ(textAfter("a/b/c", "/"), "b/c");
    EXPECT_EQ(textAfter("abc/", "/"), "");
    EXPECT_EQ(textAfter("abc", "/"), "");
    EXPECT_EQ(textAfter("xAbcy", "abc"), "");
    EXPECT_EQ(textAfter("xAbcy", "abc", Qt::CaseInsensitive), "y");
    EXPECT_EQ(textAfter(QString(), "/"), "");
}

TEST(StringUtil, SizesUsePowersOf1024) {
    const QList<QPair<quint64, QString>> cases = {
        {0, "0"},
        {1023, "1023B"},
        {1024, "1.0K"},
        {1048575, "1024.0K"},
        {1048576, "1.00M"},
        {1073741824, "1.000G"},
        {5368709120ULL, "5.000G"},
    };
    for (const auto &[count, text] : cases)
        EXPECT_EQ(formatSize(count), text) << count;
}

TEST(StringUtil, UuidsAreFreshAndUpperCase) {
    QSet<QString> seen;
    for (int i = 0; i < 100; ++i) {
        const QString uuid = newUuid();
        EXPECT_EQ(uuid.size(), 36);
        EXPECT_EQ(uuid, uuid.toUpper());
        EXPECT_EQ(uuid.count('-'), 4);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100);
}
