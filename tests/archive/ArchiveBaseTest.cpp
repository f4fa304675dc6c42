#include "archive/ArchiveBase.h"
#include "archive/ZipEntry.h"
#include "encoding/EncodingUtil.h"
#include "util/IActionProgress.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <unicode/ucnv.h>

namespace {

// A reader with no format of its own, to drive the shared machinery.
class ProbeReader : public ArchiveBase {
public:
    using ArchiveBase::addProgress;
    using ArchiveBase::ArchiveBase;
    using ArchiveBase::errorArchive;
    using ArchiveBase::errorCancelOpertion;
    using ArchiveBase::errorFailedOpenFile;
    using ArchiveBase::errorFailedOpenFirstFile;
    using ArchiveBase::errorFailedToCreateFile;
    using ArchiveBase::errorParameter;
    using ArchiveBase::setRelativeDate;
};

class TarEpochReader : public ProbeReader {
public:
    using ProbeReader::ProbeReader;
    void initParameter() override { setRelativeDate(dateFor1970()); }
};

struct ProgressLog : IActionProgress {
    QList<quint64> reports;
    void progressFinished(quint64 bytes) override { reports.append(bytes); }
};

QByteArray encode(const char *charset, const QString &text) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter *converter = ucnv_open(charset, &status);
    QByteArray out(text.size() * 4 + 8, '\0');
    const int32_t length = ucnv_fromUChars(converter, out.data(), int32_t(out.size()),
                                           reinterpret_cast<const UChar *>(text.utf16()),
                                           int32_t(text.size()), &status);
    ucnv_close(converter);
    EXPECT_TRUE(U_SUCCESS(status)) << charset;
    return out.left(length);
}

std::unique_ptr<ProbeReader> probe(StringEncoding chosen = kAutomaticEncoding) {
    static auto root = ZipEntry::rootEntry();
    return ArchiveBase::create<ProbeReader>(QStringLiteral("/nowhere.zip"), root.get(), nullptr,
                                            QString(), chosen);
}

} // namespace

TEST(ArchiveBaseErrors, EachOperationSetsItsCodeAndMessage) {
    auto reader = probe();
    EXPECT_FALSE(reader->archiveError().has_value());
    const QList<std::tuple<std::function<void()>, int, QString>> cases = {
        {[&] { reader->errorFailedOpenFile(); }, 1, "Failed to open archive file"},
        {[&] { reader->errorFailedOpenFirstFile(); }, 2,
         "Failed to open first file in archive file"},
        {[&] { reader->errorParameter(); }, 3, "Parameter error"},
        {[&] { reader->errorArchive(); }, 4, "Archive issues"},
        {[&] { reader->errorFailedToCreateFile("a.txt"); }, 5, "Failed to create file a.txt"},
        {[&] { reader->errorCancelOpertion(); }, 100, "The operation is canceled"},
    };
    for (const auto &[raise, code, message] : cases) {
        raise();
        ASSERT_TRUE(reader->archiveError().has_value());
        EXPECT_EQ(reader->archiveError()->domain, "ArchiveErrorDomain");
        EXPECT_EQ(reader->archiveError()->code, code);
        EXPECT_EQ(reader->archiveError()->message, message);
    }
    reader->unArchivePath(nullptr, QDir::tempPath());
    EXPECT_FALSE(reader->archiveError().has_value()) << "every extraction starts without an error";
}

TEST(ArchiveBaseRules, IgnoredEntries) {
    EXPECT_TRUE(ArchiveBase::isIgnore("a/Thumbs.db"));
    EXPECT_TRUE(ArchiveBase::isIgnore(".DS_Store"));
    EXPECT_TRUE(ArchiveBase::isIgnore("__MACOSX/a.txt"));
    EXPECT_TRUE(ArchiveBase::isIgnore("x/__MACOSX/._a.txt"));
    EXPECT_FALSE(ArchiveBase::isIgnore("x.DS_Store.bak"));
    EXPECT_FALSE(ArchiveBase::isIgnore("thumbs.db"));
    EXPECT_FALSE(ArchiveBase::isIgnore("__MACOSX"));
}

TEST(ArchiveBaseDates, EpochsAndIntervals) {
    auto root = ZipEntry::rootEntry();
    auto tar = ArchiveBase::create<TarEpochReader>("/a.tar", root.get(), nullptr, QString());
    EXPECT_FALSE(tar->getDateWithInterval(0).has_value());
    EXPECT_EQ(tar->getDateWithInterval(86400),
              QDateTime(QDate(1970, 1, 2), QTime(0, 0), QTimeZone::utc()));

    auto zip = probe();
    ASSERT_TRUE(zip->relativeDate().has_value()) << "the factory runs the epoch hook";
    EXPECT_EQ(*zip->relativeDate(),
              QDateTime(QDate(1980, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone()));
    EXPECT_EQ(zip->getDateWithInterval(60)->toLocalTime().time(), QTime(0, 1));

    zip->setRelativeDate(std::nullopt);
    EXPECT_FALSE(zip->getDateWithInterval(60).has_value()) << "a reader without epoch has no dates";
}

TEST(ArchiveBaseTemp, ItemFoldersAreFreshAndUnderTheRoot) {
    const QString first = ArchiveBase::tempItemDirectory();
    const QString second = ArchiveBase::tempItemDirectory();
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).isDir());
    EXPECT_TRUE(first.startsWith(ArchiveBase::tempRootDirectory() + "/"));
    EXPECT_TRUE(ArchiveBase::tempRootDirectory().startsWith(QDir::tempPath()));
}

TEST(ArchiveBaseProgress, ReportsOnlyPastTheThreshold) {
    auto reader = probe();
    ProgressLog log;
    reader->setActionDelegate(&log);
    reader->addProgress(4048000);
    EXPECT_TRUE(log.reports.isEmpty());
    reader->addProgress(1);
    EXPECT_EQ(log.reports, QList<quint64>{4048001});
    reader->addProgress(4048000);
    EXPECT_EQ(log.reports.size(), 1) << "the count restarts after each report";
    reader->addProgress(5000000);
    EXPECT_EQ(log.reports, (QList<quint64>{4048001, 9048000}));
}

TEST(ArchiveBaseNames, DetectionRunsOnceOnShortNameLists) {
    auto reader = probe();
    EXPECT_EQ(reader->encodingName(), "utf-8");
    EXPECT_EQ(reader->encoding(), kUTF8StringEncoding);
    const QStringList names = {QStringLiteral("報告書.txt"), QStringLiteral("写真/旅行.jpg"),
                               QStringLiteral("会議の資料.doc")};
    for (const QString &name : names) {
        const QByteArray bytes = encode("Shift_JIS", name);
        reader->appendDataToEncodingData(bytes.constData(), bytes.size());
    }
    reader->convertDetectorEncoding();
    EXPECT_EQ(reader->encodingName(), "Shift_JIS");
    EXPECT_EQ(reader->encoding(), EncodingUtil::convertStringToNSStringEncoding("Shift_JIS"));
    for (const QString &name : names) {
        const QByteArray bytes = encode("Shift_JIS", name);
        EXPECT_EQ(reader->charToNSString(bytes.constData(), bytes.size()), name);
    }

    const QByteArray cyrillic = encode("windows-1251", QStringLiteral("Документы/отчёт.doc"));
    reader->appendDataToEncodingData(cyrillic.constData(), cyrillic.size());
    reader->convertDetectorEncoding();
    EXPECT_EQ(reader->encodingName(), "Shift_JIS") << "detection runs once per reader";
}

TEST(ArchiveBaseNames, ChosenEncodingOverridesAndFieldsEndAtNul) {
    const QByteArray sjis = encode("Shift_JIS", QStringLiteral("報告書.txt"));
    auto chosen = probe(EncodingUtil::convertStringToNSStringEncoding("ISO-8859-1"));
    EXPECT_EQ(chosen->charToNSString(sjis.constData(), sjis.size()), QString::fromLatin1(sjis));

    auto plain = probe();
    const char field[8] = {'a', 'b', 'c', '\0', '\0', '\0', '\0', '\0'};
    EXPECT_EQ(plain->charToNSString(field, sizeof field), "abc");
    EXPECT_EQ(plain->charToNSString(field, 0), "");
    const QByteArray utf8 = QStringLiteral("naïve/файл.txt").toUtf8();
    EXPECT_EQ(plain->charToNSString(utf8.constData(), utf8.size()),
              QStringLiteral("naïve/файл.txt"));
}
