#pragma once

#include <QString>

#include <functional>
#include <optional>

class IDialogs;
class QObject;

// How every operation that writes into a folder gets there: the folder itself when it is writable,
// else a stored grant that covers it, else a folder the user picks in the folder chooser. Holds
// the operation's folder (destination) and the grant being accessed (destinationURL).
class FolderAccess {
public:
    // Runs with the URL of the stored grant to access, or none.
    using Continuation = std::function<void(const std::optional<QString> &bookmarkUrl)>;

    FolderAccess(IDialogs &dialogs, QObject *context, bool isSandbox);

    // Sets destination to the folder and continues: at once when it is writable or a stored grant
    // covers it, else through the chooser opening there with the permission message.
    void withWritableFolder(const QString &folder, const Continuation &continuation);
    // The folder chooser: on confirm destination becomes the chosen folder and the continuation
    // is queued to the main thread; on cancel destination becomes null and nothing runs.
    void pickFolderThen(const std::function<void()> &continuation,
                        const std::optional<QString> &openingFolder = std::nullopt);

    // Starts access for an operation: to the given grant, or (sandboxed) to a grant for
    // destination, stored when none covers it. Outside the sandbox nothing is needed.
    void startAccessingSecurityScopedResource(const std::optional<QString> &url = std::nullopt);
    void stopAccessingSecurityScopedResource();

    QString destination() const { return destination_; }
    void setDestination(const QString &destination) { destination_ = destination; }
    std::optional<QString> destinationURL() const { return destinationURL_; }
    bool isSandbox() const { return isSandbox_; }

private:
    IDialogs &dialogs_;
    QObject *context_;
    bool isSandbox_;
    QString destination_;
    std::optional<QString> destinationURL_;
};
