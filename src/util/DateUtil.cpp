#include "util/DateUtil.h"

#include <QLocale>
#include <QTimeZone>

#include <ctime>

namespace DateUtil {

namespace {

const QString kTimestampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kUtcTimestampFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'");

// The number the digits text[from, from + count) spell; -1 when one of them is no digit.
int digits(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The date and time of a text of exactly the shape "dddd-dd-dd dd:dd:dd"; none for any other.
std::optional<std::pair<QDate, QTime>> timestampParts(QStringView text) {
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' ||
        text[13] != u':' || text[16] != u':')
        return std::nullopt;
    const int parts[] = {digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                         digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    for (const int part : parts) {
        if (part < 0)
            return std::nullopt;
    }
    return std::pair{QDate(parts[0], parts[1], parts[2]), QTime(parts[3], parts[4], parts[5])};
}

// The date as the format spells it in the zone the split gives; split is localtime_r or gmtime_r,
// which read the zone far faster than Qt does for every date.
QString timestamp(qint64 msecs, std::tm *(*split)(const time_t *, std::tm *), const QString &format,
                  Qt::TimeSpec zone) {
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    std::tm parts{};
    const time_t value = time_t(seconds);
    const int year = split(&value, &parts) ? parts.tm_year + 1900 : -1;
    // Years that do not have four digits are rare enough to take Qt's way.
    if (year < 0 || year > 9999)
        return QDateTime::fromMSecsSinceEpoch(msecs, zone).toString(format);
    // Written digit by digit: a listing formats a date per entry, and snprintf costs more than
    // the rest of the line.
    char16_t text[] = u"0000-00-00 00:00:00Z";
    const auto put = [&text](qsizetype at, int number, int digits) {
        for (qsizetype i = at + digits - 1; i >= at; --i, number /= 10)
            text[i] = char16_t(u'0' + number % 10);
    };
    put(0, year, 4);
    put(5, parts.tm_mon + 1, 2);
    put(8, parts.tm_mday, 2);
    put(11, parts.tm_hour, 2);
    put(14, parts.tm_min, 2);
    put(17, parts.tm_sec, 2);
    if (zone == Qt::UTC)
        text[10] = u'T';
    return QString(reinterpret_cast<const QChar *>(text), zone == Qt::UTC ? 20 : 19);
}

} // namespace

std::optional<QDateTime> stringToDateGMT(const QString &text) {
    // Readers hand over a date in this exact shape for every entry; Qt's general parser also
    // reads the local zone each time, which costs several file lookups.
    if (const auto parts = timestampParts(text)) {
        if (!parts->first.isValid() || !parts->second.isValid())
            return std::nullopt;
        static const QTimeZone utc = QTimeZone::utc();
        return QDateTime(parts->first, parts->second, utc);
    }
    const QDateTime date = QDateTime::fromString(text, kTimestampFormat);
    if (text.isEmpty() || !date.isValid())
        return std::nullopt;
    return QDateTime(date.date(), date.time(), QTimeZone::utc());
}

QString mediumString(const QDateTime &date) {
    const QLocale locale = QLocale::system();
    const QDateTime local = date.toLocalTime();
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(local.time(), QStringLiteral("HH:mm:ss"));
}

void readLocalZone() {
    ::tzset();
}

QString localTimestamp(const QDateTime &date) {
    return localTimestamp(date.toMSecsSinceEpoch());
}

QString localTimestamp(qint64 msecs) {
    return timestamp(msecs, ::localtime_r, kTimestampFormat, Qt::LocalTime);
}

QString utcTimestamp(qint64 msecs) {
    return timestamp(msecs, ::gmtime_r, kUtcTimestampFormat, Qt::UTC);
}

} // namespace DateUtil
