#pragma once

#include <QString>

#include <optional>

class QWidget;

// The small modal dialogs: each runs modal and returns once it is dismissed.
class Alerts {
public:
    Alerts() = delete;

    // The message (already localized by the caller) over an empty masked field, with "OK" and
    // "Cancel"; the text on "OK" (an empty field answers an empty text), none on "Cancel".
    static std::optional<QString> askPassword(const QString &message, QWidget *parent = nullptr);
    // The message as given, the information below it, one "OK" button.
    static void alert(const QString &message, const QString &information,
                      QWidget *parent = nullptr);
    static void alert(const QString &message, QWidget *parent = nullptr);
};
