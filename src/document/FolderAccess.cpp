#include "document/FolderAccess.h"

#include "app/core/SandBoxUtils.h"
#include "document/IDialogs.h"
#include "document/MainThread.h"
#include "util/FileAttributes.h"

#include <QCoreApplication>

FolderAccess::FolderAccess(IDialogs &dialogs, QObject *context, bool isSandbox)
    : dialogs_(dialogs)
    , context_(context)
    , isSandbox_(isSandbox) {
}

void FolderAccess::withWritableFolder(const QString &folder, const Continuation &continuation) {
    destination_ = folder;
    if (FileAttributes::isWritable(folder)) {
        continuation(std::nullopt);
        return;
    }
    if (const auto bookmark = SandBoxUtils::getBookMarkURL(folder, false)) {
        continuation(bookmark);
        return;
    }
    pickFolderThen([continuation] { continuation(std::nullopt); }, folder);
}

void FolderAccess::pickFolderThen(const std::function<void()> &continuation,
                                  const std::optional<QString> &openingFolder) {
    std::optional<QString> message;
    if (openingFolder)
        message = QCoreApplication::translate(
            "ArchiveDocument", "Please click Confirm button to obtain access permission");
    const std::optional<QString> chosen = dialogs_.pickFolder(message, openingFolder);
    destination_ = chosen.value_or(QString());
    if (chosen)
        MainThread::queue(context_, continuation);
}

void FolderAccess::startAccessingSecurityScopedResource(const std::optional<QString> &url) {
    destinationURL_.reset();
    if (!isSandbox_)
        return;
    // A grant here is the folder's path: access needs nothing more than knowing which it is.
    destinationURL_ = url ? url : SandBoxUtils::getBookMarkURL(destination_);
}

void FolderAccess::stopAccessingSecurityScopedResource() {
    destinationURL_.reset();
}
