#include "EncodingTestData.h"

#include "encoding/NamePlausibility.h"
#include "encoding/StringEncoding.h"

#include <QSet>

namespace {

TEST(NamePlausibility, NamesOfEveryLanguageAndScriptCostNothing) {
    const QStringList names = {
        "readme.txt",
        "src/MyFile.cpp",
        "ÄNDERUNG.TXT",
        "Grüße/Übung.txt",
        "Élèves/Résumé.doc",
        "Informações.txt",
        "Søknad om ferie.doc",
        "Zażółć gęślą jaźń.txt",
        "Příliš žluťoučký kůň.txt",
        "Árvíztűrő tükörfúrógép.txt",
        "Peter’s Notizen.txt",
        "Документы/Отчёт за год.doc",
        "Ґанок і їжа.jpg",
        "Годишњи извештај.doc",
        "Έγγραφα/Σχέσεις.doc",
        "報告書/会議の議事録.docx",
        "ﾃﾞｰﾀ/ﾊﾞｯｸｱｯﾌﾟ.dat",
        "文档/工作报告.doc",
        "資料夾/說明.txt",
        "문서/보고서.hwp",
        "שלום.txt",
    };
    for (const QString &name : names) {
        EXPECT_EQ(NamePlausibility::cost(name), 0) << name.toStdString();
        EXPECT_FALSE(NamePlausibility::hasBrokenCharacters(name)) << name.toStdString();
    }
}

TEST(NamePlausibility, EachTraceOfAWrongCodePageCosts) {
    const std::tuple<const char *, QString, QString> cases[] = {
        {"control character", "Grüße.txt", "Gr\u0081áe.txt"},
        {"private use", "報告.txt", "報\uE000.txt"},
        {"box drawing", "Ofertă.doc", "Ofert╟.doc"},
        {"symbol", "Música.mp3", "M£sica.mp3"},
        {"odd space", "Año.txt", "A\u00A0o.txt"},
        {"letter of another script inside a word", "Café.txt", "CafΘ.txt"},
        {"capital after a small letter", "Università.pdf", "UniversitÓ.pdf"},
        {"capital starting small letters in mid-word", "Müller.doc", "MŘller.doc"},
        {"final sigma inside a word", "Σχέσεις.txt", "Ξςχες.txt"},
        {"letters no language writes together", "Kraków/Łódź.jpg", "Kraków/Łódñ.jpg"},
        {"quote inside a word", "Résumé.doc", "R‚sum‚.doc"},
        {"Hangul inside a Chinese word", "学习资料.pdf", "欺構栗죕.pdf"},
        {"rare ideograph", "说明.txt", "说\u3400.txt"},
        {"ideograph between Latin letters", "Windows版.txt", "cr한e.txt"},
    };
    for (const auto &[label, plausible, implausible] : cases) {
        EXPECT_LT(NamePlausibility::cost(plausible), NamePlausibility::cost(implausible)) << label;
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
