#include "util/DateUtil.h"

#include <QLocale>
#include <QTimeZone>

#include <cstdio>
#include <ctime>

namespace DateUtil {

namespace {

const QString kTimestampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

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
    const qint64 msecs = date.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    std::tm parts{};
    const time_t value = time_t(seconds);
    const int year = ::localtime_r(&value, &parts) ? parts.tm_year + 1900 : -1;
    // Years that do not have four digits are rare enough to take Qt's way.
    if (year < 0 || year > 9999)
        return date.toLocalTime().toString(kTimestampFormat);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return QString::fromLatin1(text);
}

} // namespace DateUtil
