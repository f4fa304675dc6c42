#include "archive/EntryDate.h"

#include <QTimeZone>

namespace {

// Looking the zone up costs several file lookups.
const QTimeZone &systemZone() {
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone;
}

} // namespace

EntryDate::EntryDate(const QDateTime &date) {
    if (!date.isValid())
        return;
    msecs_ = date.toMSecsSinceEpoch();
    // Dates in the system's zone show in local time; all others (UTC in practice) in UTC.
    const bool local = date.timeSpec() == Qt::LocalTime ||
                       (date.timeSpec() == Qt::TimeZone && date.timeZone() == systemZone());
    kind_ = local ? Kind::Local : Kind::Utc;
}

EntryDate::EntryDate(const std::optional<QDateTime> &date) {
    if (date)
        *this = EntryDate(*date);
}

EntryDate EntryDate::local(qint64 msecs) {
    EntryDate date;
    date.msecs_ = msecs;
    date.kind_ = Kind::Local;
    return date;
}

std::optional<qint64> EntryDate::msecs() const {
    if (kind_ == Kind::None)
        return std::nullopt;
    return msecs_;
}

std::optional<QDateTime> EntryDate::toDateTime() const {
    switch (kind_) {
    case Kind::None:
        return std::nullopt;
    case Kind::Utc:
        return QDateTime::fromMSecsSinceEpoch(msecs_, QTimeZone::utc());
    case Kind::Local:
        break;
    }
    return QDateTime::fromMSecsSinceEpoch(msecs_, systemZone());
}
