#pragma once

#include <QDateTime>

#include <optional>

// An entry's modification time as the entry tree keeps it: the instant, and whether it shows in
// local time or in UTC. Sixteen bytes, where a date in a time zone takes a separate allocation.
class EntryDate {
public:
    EntryDate() = default;
    // Readers hand over their dates as they have them; an invalid date counts as none.
    EntryDate(const QDateTime &date);
    EntryDate(const std::optional<QDateTime> &date);
    // A date shown in local time, given as milliseconds since 1970 UTC.
    static EntryDate local(qint64 msecs);

    explicit operator bool() const { return kind_ != Kind::None; }
    // Milliseconds since 1970 UTC; none when there is no date.
    std::optional<qint64> msecs() const;
    // The date in the system's zone or in UTC.
    std::optional<QDateTime> toDateTime() const;

private:
    enum class Kind : quint8 { None, Utc, Local };

    qint64 msecs_ = 0;
    Kind kind_ = Kind::None;
};
