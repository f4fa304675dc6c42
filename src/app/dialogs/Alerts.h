#pragma once

#include <QLineEdit>
#include <QString>

#include <optional>

class QWidget;

// The small modal dialogs: each runs modal and returns once it is dismissed.
class Alerts {
public:
    Alerts() = delete;

    // The message (already localized by the caller) over a text field holding the default text,
    // with "OK" and "Cancel"; the text on "OK", none on "Cancel" (even after editing).
    static std::optional<QString> input(const QString &message, const QString &defaultValue,
                                        QWidget *parent = nullptr);
    // The same with an empty masked field; "OK" on an empty field answers an empty text.
    static std::optional<QString> askPassword(const QString &message, QWidget *parent = nullptr);
    // The message as given, the information below it, one "OK" button.
    static void alert(const QString &message, const QString &information,
                      QWidget *parent = nullptr);
    static void alert(const QString &message, QWidget *parent = nullptr);

private:
    static std::optional<QString> askText(const QString &message, const QString &defaultValue,
                                          QLineEdit::EchoMode echoMode, QWidget *parent);
};
