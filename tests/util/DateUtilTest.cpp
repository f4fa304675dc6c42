#include "util/DateUtil.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

const QString kFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Sets TZ for one test and puts the previous value back.
class LocalZone {
public:
    explicit LocalZone(const QByteArray &zone)
        : previous_(qgetenv("TZ"))
        , hadZone_(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        DateUtil::readLocalZone();
    }
    ~LocalZone() {
        if (hadZone_)
            qputenv("TZ", previous_);
        else
            qunsetenv("TZ");
        DateUtil::readLocalZone();
    }

private:
    QByteArray previous_;
    bool hadZone_;
};

QDateTime utc(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

} // namespace

TEST(DateUtil, LocalTimestampShowsWhatQtShows) {
    const QByteArray zones[] = {"UTC",          "Europe/Berlin",       "America/New_York",
                                "Asia/Kolkata", "Australia/Lord_Howe", "America/St_Johns",
                                "EST5EDT"};
    // Both sides of daylight-saving changes, dates before 1970 and before the zones had
    // standard offsets, a fraction of a second before the epoch, the DOS epoch, the end of
    // 32-bit time, and years without four digits.
    const QDateTime instants[] = {
        utc(2021, 3, 28, 0, 59, 59),   utc(2021, 3, 28, 1, 0, 0),     utc(2021, 10, 31, 0, 59, 59),
        utc(2021, 10, 31, 1, 0, 0),    utc(2021, 3, 14, 6, 59, 59),   utc(2021, 3, 14, 7, 0, 0),
        utc(2021, 11, 7, 5, 59, 59),   utc(2021, 11, 7, 6, 0, 0),     utc(1965, 7, 1, 12, 0, 0),
        utc(1969, 12, 31, 23, 59, 59), utc(1970, 1, 1, 0, 0, 0),      utc(1900, 1, 1, 0, 0, 0),
        utc(1980, 1, 1, 0, 0, 0),      utc(2037, 12, 31, 23, 59, 59), utc(2040, 7, 1, 12, 0, 0),
        utc(9999, 12, 31, 23, 0, 0),   utc(12, 6, 1, 8, 0, 0)};
    for (const QByteArray &zone : zones) {
        const LocalZone local(zone);
        for (const QDateTime &instant : instants) {
            // The same instant held the ways the readers hold dates.
            const QDateTime forms[] = {instant, instant.toTimeZone(QTimeZone::systemTimeZone()),
                                       instant.toLocalTime(), instant.toOffsetFromUtc(3600)};
            for (const QDateTime &form : forms)
                EXPECT_EQ(DateUtil::localTimestamp(form), form.toLocalTime().toString(kFormat))
                    << zone.constData() << " " << instant.toString(Qt::ISODate).toStdString();
        }
    }
}

TEST(DateUtil, GmtTimestampsParseWhateverTheLocalZone) {
    struct Case {
        const char *text;
        std::optional<QDateTime> expected;
    };
    const Case cases[] = {
        {"2013-05-01 10:20:30", utc(2013, 5, 1, 10, 20, 30)},
        // In the gap of Berlin's spring change: still exactly that UTC time.
        {"2021-03-28 02:30:00", utc(2021, 3, 28, 2, 30, 0)},
        {"2021-10-31 02:30:00", utc(2021, 10, 31, 2, 30, 0)},
        {"1969-07-20 20:17:40", utc(1969, 7, 20, 20, 17, 40)},
        {"0999-01-02 03:04:05", utc(999, 1, 2, 3, 4, 5)},
        {"2013-02-30 10:00:00", std::nullopt},
        {"2013-05-01 24:00:00", std::nullopt},
        {"2013-05-01T10:20:30", std::nullopt},
        {"2013-05-01 10:20:3x", std::nullopt},
        {"2013-05-01 10:20", std::nullopt},
        {"", std::nullopt},
    };
    for (const QByteArray zone : {"UTC", "Europe/Berlin"}) {
        const LocalZone local(zone);
        for (const Case &c : cases) {
            const auto date = DateUtil::stringToDateGMT(QString::fromLatin1(c.text));
            ASSERT_EQ(date.has_value(), c.expected.has_value()) << c.text;
            if (date) {
                EXPECT_EQ(*date, *c.expected) << c.text;
                EXPECT_EQ(date->toUTC().toString(kFormat), QString::fromLatin1(c.text));
            }
        }
    }
}
