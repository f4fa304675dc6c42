#include "document/DocumentExtraction.h"

#include "app/core/Preferences.h"
#include "archive/ArchiveError.h"
#include "archive/ZipEntry.h"
#include "document/ArchiveRules.h"
#include "document/ArchiveSession.h"
#include "document/ExtractionJob.h"
#include "document/IDocumentView.h"
#include "document/ZipDocument.h"
#include "util/FileUtil.h"

#include <memory>

DocumentExtraction::DocumentExtraction(ZipDocument &document)
    : document(document) {
}

bool DocumentExtraction::canStart() const {
    return document.isCanUnZip() && !document.isExecuting() && document.archiveDelegate();
}

void DocumentExtraction::unArchive() {
    if (canStart())
        document.folderAccess().withWritableFolder(
            FileUtil::getFileDirectory(document.filePath()),
            [this](const std::optional<QString> &bookmarkUrl) { unzip(bookmarkUrl); });
}

void DocumentExtraction::unArchiveTo() {
    if (canStart())
        document.folderAccess().pickDirectorySelector([this] { unzip(std::nullopt); });
}

void DocumentExtraction::unArchiveSelectedItem() {
    if (canStart())
        document.folderAccess().withWritableFolder(
            FileUtil::getFileDirectory(document.filePath()),
            [this](const std::optional<QString> &bookmarkUrl) { unArchiveSelected(bookmarkUrl); });
}

void DocumentExtraction::unArchiveSelectedItemAs() {
    if (canStart())
        document.folderAccess().pickDirectorySelector([this] { unArchiveSelected(std::nullopt); });
}

void DocumentExtraction::autoUnArchive() {
    if (document.showError(document.archiveDelegate() ? document.archiveDelegate()->archiveError()
                                                      : std::nullopt))
        return;
    if (document.isCanUnZip() && Preferences::getISAutoExtractFileArchiveValue())
        unArchive();
}

QString DocumentExtraction::extractingText(const QString &name) {
    return QStringLiteral("%1 %2").arg(ZipDocument::tr("Extracting"), name);
}

void DocumentExtraction::unzip(const std::optional<QString> &bookmarkUrl) {
    startExtraction({}, bookmarkUrl);
}

void DocumentExtraction::unArchiveSelected(const std::optional<QString> &bookmarkUrl) {
    QList<ZipEntry *> selection;
    for (IFileEntry *item : document.view().getCurrentSelectedItems()) {
        if (auto *entry = dynamic_cast<ZipEntry *>(item))
            selection.append(entry);
    }
    if (!selection.isEmpty())
        startExtraction(selection, bookmarkUrl);
}

void DocumentExtraction::startExtraction(const QList<ZipEntry *> &selection,
                                         const std::optional<QString> &bookmarkUrl) {
    // The chooser's continuation comes later: things may have changed meanwhile.
    if (!canStart())
        return;
    ArchiveSession &session = *document.session();
    FolderAccess &access = document.folderAccess();
    access.startAccessingSecurityScopedResource(bookmarkUrl);
    if (!session.checkPassword()) {
        access.stopAccessingSecurityScopedResource();
        return;
    }
    const QString target = access.destination();
    const QString staging = ExtractionJob::resetDestination(target);
    if (staging.isNull()) {
        access.stopAccessingSecurityScopedResource();
        document.showError(archiveError(ArchiveErrorCode::FailedToCreateFile, target));
        return;
    }
    access.setDestination(staging);
    const QString archivePath = document.filePath();
    const auto job = std::make_shared<ExtractionJob>(*session.reader(), *session.rootEntry(),
                                                     archivePath, selection);
    const QString name = job->isWholeArchive()
                             ? ArchiveRules::getZipEntryName(*session.rootEntry(), archivePath)
                             : FileUtil::getFileName(archivePath);
    document.view().setProgressTopText(extractingText(name));
    const QString password = session.password();
    ZipDocument *owner = &document;
    document.worker().startThread(
        [owner, job, staging, password]() -> DocumentWorker::Ending {
            owner->worker().setTotalSizeWithNum(job->totalSize());
            const ExtractionJob::Outcome outcome = job->run(staging, password);
            const int code =
                !outcome.cancelled && job->isWholeArchive() ? ZipDocument::kReturnCodeExtracted : 0;
            return [owner, code, outcome] {
                owner->endTask(code);
                owner->progressDidEnd(code, outcome.error);
            };
        },
        true);
}
