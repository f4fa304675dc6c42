#include "document/DocumentCompression.h"

#include "archive/IFileEntry.h"
#include "document/ArchiveDocument.h"
#include "document/ArchiveRules.h"
#include "document/CompressionJob.h"
#include "document/IDialogs.h"
#include "document/IDocumentView.h"
#include "settings/Preferences.h"
#include "util/PathUtil.h"

#include <memory>

DocumentCompression::DocumentCompression(ArchiveDocument &document)
    : document_(document) {
}

bool DocumentCompression::canStart() const {
    return document_.canZip() && !document_.isExecuting();
}

void DocumentCompression::zip() {
    if (!canStart())
        return;
    takeListedItems();
    chosenName_.reset();
    format_ = WriteFormat::Zip;
    const QString folder = PathUtil::parentFolder(selectedFiles_.first());
    for (const QString &path : selectedFiles_) {
        if (PathUtil::parentFolder(path) != folder) {
            pickZipFolder();
            return;
        }
    }
    document_.folderAccess().withWritableFolder(folder, [this] { runCompression(); });
}

void DocumentCompression::compressAs() {
    if (!canStart())
        return;
    takeListedItems();
    const std::optional<IDialogs::ArchiveChoice> choice = document_.dialogs().saveArchive(
        PathUtil::parentFolder(selectedFiles_.first()), ArchiveRules::zipFileName(nameSource()));
    if (!choice || PathUtil::fileName(choice->path).isEmpty())
        return;
    const QString fileName = PathUtil::fileName(choice->path);
    format_ = WriteFormats::fromFileName(fileName).value_or(choice->format);
    chosenName_ = fileName;
    document_.folderAccess().withWritableFolder(PathUtil::parentFolder(choice->path),
                                                [this] { runCompression(); });
}

void DocumentCompression::takeListedItems() {
    selectedFiles_.clear();
    for (const FileSystemNode::Ptr &node : document_.rootNode()->children())
        selectedFiles_.append(node->path());
}

void DocumentCompression::pickZipFolder() {
    document_.folderAccess().pickFolderThen([this] { runCompression(); });
}

QString DocumentCompression::nameSource() const {
    const QList<IFileEntry *> selected = document_.view().firstColumnSelection();
    return selected.isEmpty() ? selectedFiles_.first() : selected.first()->name();
}

void DocumentCompression::runCompression() {
    // The chooser's continuation comes later: things may have changed meanwhile.
    if (!canStart())
        return;
    zipFileName_ = chosenName_.value_or(ArchiveRules::zipFileName(nameSource()));
    document_.view().setProgressTopText(ArchiveDocument::tr("Compressing"));
    const auto job = std::make_shared<CompressionJob>(
        selectedFiles_, document_.destination(), zipFileName_,
        ScanOptions::instance(Preferences::ignoreHiddenFiles()), format_);
    ArchiveDocument *owner = &document_;
    document_.worker().startThread(
        [owner, job]() -> DocumentWorker::Ending {
            DocumentWorker &worker = owner->worker();
            worker.showProgress(false);
            worker.setTotal(job->computeFileSize());
            const CompressionJob::Outcome outcome = job->run(&worker);
            return [owner, outcome] {
                owner->endTask(0);
                // Writer errors and a failed final move are reported, not passed over; so are
                // items left out of a written archive.
                if (!outcome.error && !outcome.leftOut.isEmpty())
                    owner->showError(Error{QStringLiteral("ZipErrorDomain"), 2,
                                           ArchiveDocument::tr("Left out, cannot be read: %1")
                                               .arg(outcome.leftOut.join(QStringLiteral(", ")))});
                else
                    owner->showError(outcome.error);
            };
        },
        false);
}
