#include "document/FolderAccess.h"

#include "document/IDialogs.h"
#include "document/MainThread.h"
#include "util/FileAttributes.h"

#include <QCoreApplication>

FolderAccess::FolderAccess(IDialogs &dialogs, QObject *context)
    : dialogs_(dialogs)
    , context_(context) {
}

void FolderAccess::withWritableFolder(const QString &folder, const Continuation &continuation) {
    destination_ = folder;
    if (FileAttributes::isWritable(folder)) {
        continuation();
        return;
    }
    dialogs_.alert(
        QCoreApplication::translate("ArchiveDocument",
                                    "You cannot write into this folder. Choose another folder."),
        QString());
    pickFolderThen(continuation, folder);
}

void FolderAccess::pickFolderThen(const Continuation &continuation,
                                  const std::optional<QString> &openingFolder) {
    const std::optional<QString> chosen = dialogs_.pickFolder(openingFolder);
    destination_ = chosen.value_or(QString());
    if (chosen)
        MainThread::queue(context_, continuation);
}
