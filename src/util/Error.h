#pragma once

#include <QString>

// A failure as a value: its domain, its code and the message shown to the user.
struct Error {
    QString domain;
    int code = 0;
    QString message;

    bool operator==(const Error &) const = default;
};
