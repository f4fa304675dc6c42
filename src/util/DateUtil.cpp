#include "util/DateUtil.h"

#include <QLocale>

namespace DateUtil {

std::optional<QDateTime> stringToDate(const QString &text, const QString &format,
                                      const std::optional<QTimeZone> &timezone) {
    if (text.isEmpty())
        return std::nullopt;
    QDateTime date = QDateTime::fromString(text, format);
    if (!date.isValid())
        return std::nullopt;
    if (timezone)
        date = QDateTime(date.date(), date.time(), *timezone);
    return date;
}

std::optional<QDateTime> stringToDateGMT(const QString &text) {
    return stringToDate(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"), QTimeZone::utc());
}

QString mediumString(const QDateTime &date) {
    const QLocale locale = QLocale::system();
    const QDateTime local = date.toLocalTime();
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(local.time(), QStringLiteral("HH:mm:ss"));
}

} // namespace DateUtil
