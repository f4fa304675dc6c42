#include "document/DocumentExtraction.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveReader.h"
#include "document/ArchiveDocument.h"
#include "document/ArchiveRules.h"
#include "document/ArchiveSession.h"
#include "document/ExtractionJob.h"
#include "document/IDocumentView.h"
#include "settings/Preferences.h"
#include "util/Cancellation.h"
#include "util/FileOps.h"
#include "util/PathUtil.h"
#include "util/TempFolders.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

DocumentExtraction::DocumentExtraction(ArchiveDocument &document)
    : document_(document) {
}

bool DocumentExtraction::canStart() const {
    return document_.canExtract() && !document_.isExecuting() && document_.reader();
}

void DocumentExtraction::extractAll() {
    if (canStart())
        document_.folderAccess().withWritableFolder(PathUtil::parentFolder(document_.filePath()),
                                                    [this] { unzip(); });
}

void DocumentExtraction::extractTo() {
    if (canStart())
        document_.folderAccess().pickFolderThen([this] { unzip(); });
}

void DocumentExtraction::extractSelected() {
    if (canStart())
        document_.folderAccess().withWritableFolder(PathUtil::parentFolder(document_.filePath()),
                                                    [this] { extractSelection(); });
}

void DocumentExtraction::extractSelectedTo() {
    if (canStart())
        document_.folderAccess().pickFolderThen([this] { extractSelection(); });
}

void DocumentExtraction::autoExtract() {
    if (document_.showError(document_.reader() ? document_.reader()->archiveError() : std::nullopt))
        return;
    if (document_.canExtract() && Preferences::autoExtractOnOpen())
        extractAll();
}

QString DocumentExtraction::extractingText(const QString &name) {
    return QStringLiteral("%1 %2").arg(ArchiveDocument::tr("Extracting"), name);
}

void DocumentExtraction::unzip() {
    startExtraction({});
}

QList<ArchiveEntry *> DocumentExtraction::selectedEntries() const {
    QList<ArchiveEntry *> selection;
    for (IFileEntry *item : document_.view().currentSelection()) {
        if (auto *entry = dynamic_cast<ArchiveEntry *>(item))
            selection.append(entry);
    }
    return selection;
}

void DocumentExtraction::extractSelection() {
    const QList<ArchiveEntry *> selection = selectedEntries();
    if (!selection.isEmpty())
        startExtraction(selection);
}

void DocumentExtraction::extractSelectedForDrag(
    const std::function<void(const QStringList &)> &extracted) {
    const QList<ArchiveEntry *> selection = selectedEntries();
    if (!canStart() || selection.isEmpty() || !document_.session()->checkPassword())
        return;
    const QString folder = TempFolders::newItemFolder();
    if (!QFileInfo(folder).isDir()) {
        document_.showError(archiveError(ArchiveErrorCode::FailedToCreateFile, folder));
        return;
    }
    document_.view().setProgressTopText(extractingText(PathUtil::fileName(document_.filePath())));
    ArchiveReader *reader = document_.reader();
    const QString password = document_.session()->password();
    ArchiveDocument *owner = &document_;
    document_.worker().startThread(
        [owner, reader, selection, folder, password, extracted]() -> DocumentWorker::Ending {
            owner->worker().setTotal(ArchiveEntry::totalSizes(selection));
            if (!password.isEmpty())
                reader->setPassword(password);
            // The entries share one parent: each lands in the folder under its own name.
            for (ArchiveEntry *entry : selection) {
                if (isCurrentThreadCancelled() || reader->archiveError())
                    break;
                reader->extract(entry, folder);
            }
            const bool cancelled = isCurrentThreadCancelled();
            const std::optional<Error> error = reader->archiveError();
            QStringList paths;
            for (const QFileInfo &item : QDir(folder).entryInfoList(
                     QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
                paths.append(item.filePath());
            return [owner, folder, paths, cancelled, error, extracted] {
                owner->endTask(0);
                if (cancelled || owner->showError(error) || paths.isEmpty()) {
                    FileOps::removeItem(folder);
                    return;
                }
                extracted(paths);
            };
        },
        true);
}

void DocumentExtraction::startExtraction(const QList<ArchiveEntry *> &selection) {
    // The chooser's continuation comes later: things may have changed meanwhile.
    if (!canStart())
        return;
    ArchiveSession &session = *document_.session();
    FolderAccess &access = document_.folderAccess();
    if (!session.checkPassword())
        return;
    const QString target = access.destination();
    const QString staging = ExtractionJob::resetDestination(target);
    if (staging.isNull()) {
        document_.showError(archiveError(ArchiveErrorCode::FailedToCreateFile, target));
        return;
    }
    access.setDestination(staging);
    const QString archivePath = document_.filePath();
    const auto job = std::make_shared<ExtractionJob>(*session.reader(), *session.rootEntry(),
                                                     archivePath, selection);
    const QString name = job->isWholeArchive()
                             ? ArchiveRules::extractedFolderName(*session.rootEntry(), archivePath)
                             : PathUtil::fileName(archivePath);
    document_.view().setProgressTopText(extractingText(name));
    const QString password = session.password();
    ArchiveDocument *owner = &document_;
    document_.worker().startThread(
        [owner, job, staging, password]() -> DocumentWorker::Ending {
            owner->worker().setTotal(job->totalSize());
            const ExtractionJob::Outcome outcome = job->run(staging, password);
            const int code = !outcome.cancelled && job->isWholeArchive()
                                 ? ArchiveDocument::kReturnCodeExtracted
                                 : 0;
            return [owner, code, outcome] {
                owner->endTask(code);
                owner->extractionEnded(code, outcome.error, outcome.warnings);
            };
        },
        true);
}
