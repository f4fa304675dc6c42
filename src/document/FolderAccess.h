#pragma once

#include <QString>

#include <functional>
#include <optional>

class IDialogs;
class QObject;

// How every operation that writes into a folder gets there: the folder itself when it is
// writable, else one the user chooses after being told that it is not. Holds the operation's
// folder (destination).
class FolderAccess {
public:
    using Continuation = std::function<void()>;

    FolderAccess(IDialogs &dialogs, QObject *context);

    // Sets destination to the folder and continues at once when it is writable; else an alert
    // says so and the folder chooser opens there, as pickFolderThen.
    void withWritableFolder(const QString &folder, const Continuation &continuation);
    // The folder chooser: on confirm destination becomes the chosen folder and the continuation
    // is queued to the main thread; on cancel destination becomes null and nothing runs.
    void pickFolderThen(const Continuation &continuation,
                        const std::optional<QString> &openingFolder = std::nullopt);

    QString destination() const { return destination_; }
    void setDestination(const QString &destination) { destination_ = destination; }

private:
    IDialogs &dialogs_;
    QObject *context_;
    QString destination_;
};
