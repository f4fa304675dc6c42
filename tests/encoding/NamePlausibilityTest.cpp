#include "EncodingTestData.h"

#include "encoding/NamePlausibility.h"
#include "encoding/StringEncoding.h"

#include <QSet>

namespace {

TEST(NamePlausibility, NamesOfEveryLanguageAndScriptCostNothing) {
    for (const QString &name : namesOf("Plausible")) {
        EXPECT_EQ(NamePlausibility::cost(name), 0) << name.toStdString();
        EXPECT_FALSE(NamePlausibility::hasBrokenCharacters(name)) << name.toStdString();
    }
}

TEST(NamePlausibility, EachTraceOfAWrongCodePageCosts) {
    const QJsonArray rows = nameListData()[QLatin1String("costlier")].toArray();
    ASSERT_GT(rows.size(), 10);
    for (const QJsonValue &value : rows) {
        const QJsonArray row = value.toArray();
        EXPECT_LT(NamePlausibility::cost(row[1].toString()),
                  NamePlausibility::cost(row[2].toString()))
            << row[0].toString().toStdString();
    }
}

TEST(NamePlausibility, PunctuationBetweenWordsIsCheaperThanInsideOne) {
    const int between = NamePlausibility::cost(QStringLiteral("„Zitat“ – Entwurf.txt"));
    EXPECT_GT(between, 0);
    EXPECT_LT(between, NamePlausibility::cost(QStringLiteral("Zi„tat“E–ntwurf.txt")));
    EXPECT_EQ(NamePlausibility::cost(QStringLiteral("l’été.txt")), 0) << "an apostrophe";
}

TEST(NamePlausibility, BrokenCharacters) {
    const std::pair<QString, bool> cases[] = {
        {"plain.txt", false},        {"Grüße.txt", false},
        {"tab\there", true},         {"c1\u0085control", true},
        {"soft\u00ADhyphen", true},  {"private\uE012use", true},
        {"replacement\uFFFD", true}, {"unpaired " + QString(QChar(0xD800)), true},
        {"unassigned\u0378", true},  {"box╔═╗drawing", false},
    };
    for (const auto &[text, broken] : cases)
        EXPECT_EQ(NamePlausibility::hasBrokenCharacters(text), broken) << text.toStdString();
}

// Double-byte code pages share their ideographs: telling Chinese bytes from Korean ones is left
// to ICU's frequency statistics, so there a wrong reading may tie with the right one.
bool isDoubleByte(const char *codePage) {
    static const QSet<QByteArray> doubleByte = {"windows-932", "windows-936", "windows-949",
                                                "windows-950"};
    return doubleByte.contains(codePage);
}

// Every list of the benchmark, read in every other encoding the registry offers, costs more
// than the right reading.
TEST(NamePlausibility, RightReadingsOfTheBenchmarkListsWin) {
    for (const NameList &list : nameLists()) {
        SCOPED_TRACE(list.codePage.toStdString() + " " + list.label);
        const QString right = list.names.join('/');
        const QByteArray bytes = encodedIn(list.codePage.constData(), right);
        const int rightCost = NamePlausibility::cost(right);
        for (const StringEncoding encoding : StringEncodings::availableEncodings()) {
            const auto reading = StringEncodings::decode(bytes.constData(), bytes.size(), encoding);
            if (!reading || *reading == right)
                continue;
            const int cost = NamePlausibility::cost(*reading);
            if (isDoubleByte(list.codePage.constData()))
                EXPECT_GE(cost, rightCost) << reading->toStdString();
            else
                EXPECT_GT(cost, rightCost) << reading->toStdString();
        }
    }
}

} // namespace
