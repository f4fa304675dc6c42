#pragma once

#include <QString>

#include <cstring>

// A failure as a value: its domain, its code and the message shown to the user.
struct Error {
    QString domain;
    int code = 0;
    QString message;

    bool operator==(const Error &) const = default;

    // The system's failure for an errno value, with the system's message.
    static Error fromErrno(int value) {
        return Error{QStringLiteral("NSPOSIXErrorDomain"), value,
                     QString::fromLocal8Bit(strerror(value))};
    }
};
