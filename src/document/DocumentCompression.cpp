#include "document/DocumentCompression.h"

#include "app/core/Preferences.h"
#include "archive/IFileEntry.h"
#include "document/ArchiveRules.h"
#include "document/CompressionJob.h"
#include "document/IDocumentView.h"
#include "document/ZipDocument.h"
#include "util/FileUtil.h"

#include <memory>

DocumentCompression::DocumentCompression(ZipDocument &document)
    : document(document) {
}

bool DocumentCompression::canStart() const {
    return document.isCanSaveZip() && !document.isExecuting();
}

void DocumentCompression::saveZip() {
    if (!canStart())
        return;
    takeListedItems();
    const QString folder = FileUtil::getFileDirectory(selectedFiles_.first());
    for (const QString &path : selectedFiles_) {
        if (FileUtil::getFileDirectory(path) != folder) {
            pickDirectorySaveZipAs();
            return;
        }
    }
    document.folderAccess().withWritableFolder(
        folder, [this](const std::optional<QString> &bookmarkUrl) { zipMain(bookmarkUrl); });
}

void DocumentCompression::saveZipTo() {
    if (!canStart())
        return;
    takeListedItems();
    pickDirectorySaveZipAs();
}

void DocumentCompression::takeListedItems() {
    selectedFiles_.clear();
    for (const FileSystemNode::Ptr &node : document.rootNode()->children())
        selectedFiles_.append(node->path());
}

void DocumentCompression::pickDirectorySaveZipAs() {
    document.folderAccess().pickDirectorySelector([this] { zipMain(std::nullopt); });
}

QString DocumentCompression::nameSource() const {
    const QList<IFileEntry *> selected = document.view().getSelectedColoumnZero();
    return selected.isEmpty() ? selectedFiles_.first() : selected.first()->name();
}

void DocumentCompression::zipMain(const std::optional<QString> &bookmarkUrl) {
    // The chooser's continuation comes later: things may have changed meanwhile.
    if (!canStart())
        return;
    FolderAccess &access = document.folderAccess();
    access.startAccessingSecurityScopedResource(bookmarkUrl);
    zipFileName_ = ArchiveRules::zipFileName(nameSource());
    document.view().setProgressTopText(ZipDocument::tr("Compressing"));
    const auto job = std::make_shared<CompressionJob>(
        selectedFiles_, access.destination(), zipFileName_,
        FilePropertyOptions::instance(Preferences::getISIgnoreHiddenFileWhileArchive()));
    ZipDocument *owner = &document;
    document.worker().startThread(
        [owner, job]() -> DocumentWorker::Ending {
            DocumentWorker &worker = owner->worker();
            worker.startPanelProgress(false);
            worker.setTotalSizeWithNum(job->computeFileSize());
            const CompressionJob::Outcome outcome = job->run(&worker);
            return [owner, outcome] {
                owner->endTask(0);
                // Writer errors and a failed final move are reported, not passed over.
                owner->showError(outcome.error);
            };
        },
        false);
}
