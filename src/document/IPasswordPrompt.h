#pragma once

#include <QString>

#include <optional>

// Asks the user for an archive's password: a dialog in the desktop app, the terminal in kist-cli,
// a script in tests. May be called from a worker thread; implementations move to their own.
class IPasswordPrompt {
public:
    virtual ~IPasswordPrompt() = default;
    // The entered password, or none when the user cancelled.
    virtual std::optional<QString> askPassword(const QString &archiveName) = 0;
};
