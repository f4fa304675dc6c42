#include "document/DocumentPreview.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "document/ArchiveDocument.h"
#include "document/ArchiveSession.h"
#include "document/DocumentExtraction.h"
#include "document/IDialogs.h"
#include "document/IDocumentView.h"
#include "document/IPreviewPane.h"
#include "document/PreviewContent.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/FileOps.h"
#include "util/PathUtil.h"
#include "util/TempFolders.h"

#include <QDir>

namespace {

// What the reader actually wrote decides: it may have cleaned a name it could not write safely.
// A symbolic link is never followed: its target may be any file of the user's, which must be
// neither opened up nor shown as the entry.
std::optional<QString> writtenFile(const QString &folder) {
    const QFileInfoList items = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    if (items.size() != 1 || items.first().isSymLink() || !items.first().isFile())
        return std::nullopt;
    return items.first().filePath();
}

} // namespace

DocumentPreview::DocumentPreview(ArchiveDocument &document)
    : document_(document) {
}

void DocumentPreview::viewFile() {
    request(Action::View);
}

void DocumentPreview::viewFileInPreview() {
    request(Action::Preview);
}

void DocumentPreview::cancel() {
    if (!running_)
        return;
    pending_.reset();
    document_.cancelThread();
}

void DocumentPreview::request(Action action) {
    if (!document_.isExecuting()) {
        run(action);
        return;
    }
    // The latest request wins once the running view or preview has stopped.
    if (running_) {
        pending_ = action;
        document_.worker().markCancelled();
    }
}

ArchiveEntry *DocumentPreview::selectedEntry(Action action) const {
    const QList<IFileEntry *> items = document_.view().currentSelection();
    auto *entry = items.size() == 1 ? dynamic_cast<ArchiveEntry *>(items.first()) : nullptr;
    if (!entry || !entry->isLeaf())
        return nullptr;
    if (action == Action::Preview && !PreviewContent::canPreview(*entry))
        return nullptr;
    return entry;
}

void DocumentPreview::run(Action action) {
    ArchiveEntry *entry = selectedEntry(action);
    if (!entry || !document_.canExtract() || !document_.reader())
        return;
    ArchiveSession &session = *document_.session();
    // A preview never asks for a password: without a known one an encrypted entry shows its
    // icon, while the archive's other entries still preview.
    if (action == Action::Preview && session.confirmedPassword().isEmpty() &&
        entry->isEncrypted()) {
        if (previewPane_)
            previewPane_->viewFile(std::nullopt);
        return;
    }
    // Only an encrypted entry needs the password; the others of the archive open without it.
    if (entry->isEncrypted() && !session.checkPassword())
        return;
    startTask(action, entry);
}

void DocumentPreview::startTask(Action action, ArchiveEntry *entry) {
    const QString folder = TempFolders::newItemFolder();
    if (!QFileInfo(folder).isDir()) {
        if (action == Action::View)
            document_.showError(archiveError(ArchiveErrorCode::FailedToCreateFile, folder));
        return;
    }
    if (action == Action::View)
        document_.view().setProgressTopText(DocumentExtraction::extractingText(entry->name()));
    ArchiveReader *reader = document_.reader();
    const QString password = document_.session()->password();
    DocumentWorker &worker = document_.worker();
    running_ = true;
    worker.startThread(
        [this, action, &worker, reader, entry, folder, password]() -> DocumentWorker::Ending {
            worker.setTotal(entry->size());
            std::optional<Error> error;
            if (!isCurrentThreadCancelled()) {
                if (!password.isEmpty())
                    reader->setPassword(password);
                reader->extract(entry, folder);
                error = reader->archiveError();
            }
            const bool cancelled = isCurrentThreadCancelled();
            const std::optional<QString> file = writtenFile(folder);
            if (!cancelled && !error && !file)
                error = archiveError(ArchiveErrorCode::FailedToCreateFile, entry->name());
            // A viewed copy may hold decrypted data: readable by its owner only.
            if (file && !error)
                FileAttributes::setRestoredMode(*file, 0600);
            return [this, action, entry, folder, file, error, cancelled] {
                taskEnded(action, entry, folder, cancelled || error ? std::nullopt : file, error,
                          cancelled);
            };
        },
        action == Action::View);
}

void DocumentPreview::taskEnded(Action action, const ArchiveEntry *entry, const QString &folder,
                                const std::optional<QString> &file,
                                const std::optional<Error> &error, bool cancelled) {
    running_ = false;
    if (action == Action::View) {
        document_.endTask(0);
        if (file)
            document_.dialogs().openWithDefaultApplication(*file);
        else
            document_.showError(error);
    } else {
        // A newer request, or another selection, supersedes this result: an entry of the same
        // name and size elsewhere would pass the pane's own checks.
        if (previewPane_ && !cancelled && !pending_ && selectedEntry(action) == entry)
            previewPane_->viewFile(file);
    }
    // The opened copy stays until quit, for the application that shows it; a preview's copy has
    // been read by the pane by now.
    if (action == Action::Preview || !file)
        FileOps::removeItem(folder);
    if (pending_) {
        const Action next = *pending_;
        pending_.reset();
        request(next);
    }
}
