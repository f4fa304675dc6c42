#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace DateUtil {
// "yyyy-MM-dd HH:mm:ss" in UTC.
std::optional<QDateTime> stringToDateGMT(const QString &text);
// Date and time of medium length, with seconds, in the user's locale and time zone.
QString mediumString(const QDateTime &date);
// Reads the local time zone again (TZ, /etc/localtime); localTimestamp uses the zone last read.
void readLocalZone();
// "yyyy-MM-dd HH:mm:ss" in local time, as QDateTime::toLocalTime shows it, without reading the
// zone again for every date.
QString localTimestamp(const QDateTime &date);
// The same for milliseconds since 1970 UTC.
QString localTimestamp(qint64 msecs);
// "yyyy-MM-ddTHH:mm:ssZ" in UTC for milliseconds since 1970 UTC.
QString utcTimestamp(qint64 msecs);
} // namespace DateUtil
