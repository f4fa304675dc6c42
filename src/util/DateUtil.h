#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace DateUtil {
// Parses the text with a Qt date pattern, in the given zone (local time when none).
std::optional<QDateTime> stringToDate(const QString &text, const QString &format,
                                      const std::optional<QTimeZone> &timezone = std::nullopt);
// "yyyy-MM-dd HH:mm:ss" in UTC.
std::optional<QDateTime> stringToDateGMT(const QString &text);
// Date and time of medium length, with seconds, in the user's locale and time zone.
QString mediumString(const QDateTime &date);
// Reads the local time zone again (TZ, /etc/localtime); localTimestamp uses the zone last read.
void readLocalZone();
// "yyyy-MM-dd HH:mm:ss" in local time, as QDateTime::toLocalTime shows it, without reading the
// zone again for every date.
QString localTimestamp(const QDateTime &date);
} // namespace DateUtil
