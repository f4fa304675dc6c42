// How often name-encoding detection reads the lists of tests/data/name_lists.json right, against
// ICU's detector alone. Run: build/release/bench/name_encoding_bench
#include "encoding/EncodingTestData.h"

#include "encoding/CharsetDetector.h"
#include "encoding/EncodingUtil.h"
#include "encoding/NameEncodingDetector.h"
#include "encoding/StringEncoding.h"

#include <cstdio>

namespace {

QByteArrayList encodedNames(const NameList &list) {
    QByteArrayList names;
    for (const QString &name : list.names)
        names.append(encodedIn(list.codePage.constData(), name));
    return names;
}

// What the reader base did before DOS code pages were looked for, step by step: the names run
// together and repeated to 100 bytes, ICU's candidates, the first that decodes them all.
// None when ICU has no candidates (the reader then keeps UTF-8).
std::optional<QString> icuAlone(const QByteArrayList &names) {
    QByteArray data = names.join();
    while (data.size() < 100)
        data += data;
    const auto candidates = CharsetDetector::candidates(data);
    if (!candidates || candidates->isEmpty())
        return std::nullopt;
    return EncodingUtil::detectCharset(candidates, data).value_or(QString());
}

// Every name comes out exactly as it was written, one by one as the reader decodes them.
bool decodesExactly(const std::optional<QString> &charset, const QByteArrayList &names,
                    const QStringList &expected) {
    const StringEncoding encoding =
        EncodingUtil::encodingForName(charset.value_or(QStringLiteral("utf-8")));
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (StringEncodings::decode(names[i].constData(), names[i].size(), encoding) != expected[i])
            return false;
    }
    return true;
}

double percent(int part, qsizetype whole) {
    return 100.0 * part / double(whole);
}

// Every list is taken as written on DOS or Windows, so the second stage judges all of them,
// those in ANSI, ISO and UTF-8 included: a list that ICU alone decodes must survive it.
TEST(NameEncodingBenchmark, KistDecodesDosCodePagesWithoutLosingWhatIcuGotRight) {
    int icuRight = 0;
    int kistRight = 0;
    const QList<NameList> lists = nameLists();
    for (const NameList &list : lists) {
        SCOPED_TRACE(list.codePage.toStdString() + " " + list.label);
        ASSERT_GE(list.names.size(), 3);
        ASSERT_LE(list.names.size(), 40);
        const QByteArrayList names = encodedNames(list);
        const std::optional<QString> icu = icuAlone(names);
        // Names not from DOS or Windows (and RAR names) are detected exactly as before.
        EXPECT_EQ(NameEncodingDetector::detectCharset(names, NameHostSystem::Other), icu);
        const std::optional<QString> kist =
            NameEncodingDetector::detectCharset(names, NameHostSystem::DosOrWindows);

        const bool icuDecodes = decodesExactly(icu, names, list.names);
        const bool kistDecodes = decodesExactly(kist, names, list.names);
        icuRight += icuDecodes;
        kistRight += kistDecodes;
        if (icuDecodes) {
            EXPECT_TRUE(kistDecodes)
                << "lost a list ICU alone got right, as " << kist.value_or("none").toStdString();
        }
        if (!kistDecodes)
            std::printf("  Kist misreads %s %s as %s\n", list.codePage.constData(),
                        list.label.c_str(), qPrintable(kist.value_or(QStringLiteral("none"))));
    }
    std::printf("Name-encoding benchmark, %lld lists: ICU alone %d (%.1f %%), Kist %d (%.1f %%)\n",
                static_cast<long long>(lists.size()), icuRight, percent(icuRight, lists.size()),
                kistRight, percent(kistRight, lists.size()));
    EXPECT_GE(percent(kistRight, lists.size()), 95.0);
}

} // namespace
