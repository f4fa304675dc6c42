#include "document/ExtractionJob.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveReader.h"
#include "document/ArchiveRules.h"
#include "util/Cancellation.h"
#include "util/FileOps.h"
#include "util/FreePlacement.h"
#include "util/PathUtil.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFileInfo>

ExtractionJob::ExtractionJob(ArchiveReader &reader, const ArchiveEntry &rootEntry,
                             const QString &archivePath, const QList<ArchiveEntry *> &selection)
    : reader_(reader)
    , rootEntry_(rootEntry)
    , archivePath_(archivePath)
    , selection_(selection) {
}

QString ExtractionJob::resetDestination(const QString &target) {
    QString staging = QDir(target).filePath(QStringLiteral(".") + StringUtil::newUuid());
    if (!QDir().mkdir(staging))
        return QString();
    return staging;
}

quint64 ExtractionJob::totalSize() const {
    return isWholeArchive() ? rootEntry_.totalSize() : ArchiveEntry::totalSizes(selection_);
}

ExtractionJob::Outcome ExtractionJob::run(const QString &staging, const QString &password) {
    if (!password.isEmpty())
        reader_.setPassword(password);
    if (isWholeArchive()) {
        if (!isCurrentThreadCancelled()) {
            reader_.extract(nullptr, staging);
            warnings_ += reader_.warnings();
        }
    } else {
        for (ArchiveEntry *entry : selection_) {
            if (isCurrentThreadCancelled() || reader_.archiveError() || placementError_)
                break;
            if (selection_.size() == 1)
                reader_.extract(entry->isRoot() ? nullptr : entry, staging);
            else
                extractBeside(entry, staging);
            warnings_ += reader_.warnings();
        }
    }
    return moveDestination(staging);
}

void ExtractionJob::extractBeside(ArchiveEntry *entry, const QString &staging) {
    const QString own = resetDestination(staging);
    if (own.isNull()) {
        placementError_ = archiveError(ArchiveErrorCode::FailedToCreateFile, entry->name());
        return;
    }
    reader_.extract(entry->isRoot() ? nullptr : entry, own);
    const QFileInfoList items = QDir(own).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &item : items) {
        if (reader_.archiveError() || isCurrentThreadCancelled())
            break;
        if (placeItem(item, staging).isNull())
            placementError_ = archiveError(ArchiveErrorCode::FailedToCreateFile, item.fileName());
    }
    FileOps::removeItem(own);
}

QString ExtractionJob::placeItem(const QFileInfo &item, const QString &folder) {
    if (item.isDir() && !item.isSymLink())
        return FreePlacement::moveToFreeFolderName(item.filePath(), folder, item.fileName());
    return FreePlacement::moveToFreeFileName(item.filePath(), folder,
                                             PathUtil::baseName(item.fileName()),
                                             PathUtil::extension(item.fileName()));
}

ExtractionJob::Outcome ExtractionJob::moveDestination(const QString &staging) const {
    Outcome outcome;
    outcome.cancelled = isCurrentThreadCancelled();
    outcome.error = reader_.archiveError() ? reader_.archiveError() : placementError_;
    outcome.warnings = warnings_;
    const QString parent = QFileInfo(staging).absolutePath();
    // What the reader actually wrote decides the placement, not the names in the tree: a reader
    // may have dropped or cleaned names that could not be written safely.
    const QFileInfoList items = QDir(staging).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot);
    // An archive cut short still gives the entries that were complete.
    const bool keeps = !outcome.error || reader_.keepsWhatWasRead();
    if (!outcome.cancelled && keeps && !items.isEmpty()) {
        outcome.placedPath =
            items.size() > 1
                ? FreePlacement::moveToFreeFolderName(staging, parent, nameForSeveralItems())
                : placeItem(items.first(), parent);
        if (outcome.placedPath.isNull())
            outcome.error =
                archiveError(ArchiveErrorCode::FailedToCreateFile, items.first().fileName());
    }
    FileOps::removeItem(staging);
    return outcome;
}

QString ExtractionJob::nameForSeveralItems() const {
    const ArchiveEntry *last = selection_.isEmpty() ? nullptr : selection_.last();
    const ArchiveEntry *parentEntry = last && last->parent() ? last->parent() : &rootEntry_;
    return ArchiveRules::extractedFolderName(*parentEntry, archivePath_);
}
