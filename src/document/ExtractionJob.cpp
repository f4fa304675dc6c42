#include "document/ExtractionJob.h"

#include "archive/ArchiveError.h"
#include "archive/IArchive.h"
#include "archive/ZipEntry.h"
#include "document/ArchiveRules.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"
#include "util/FreePlacement.h"
#include "util/StringUtil.h"

#include <QDir>
#include <QFileInfo>

ExtractionJob::ExtractionJob(IArchive &reader, const ZipEntry &rootEntry,
                             const QString &archivePath, const QList<ZipEntry *> &selection)
    : reader(reader)
    , rootEntry(rootEntry)
    , archivePath(archivePath)
    , selection(selection) {
}

QString ExtractionJob::resetDestination(const QString &target) {
    const QString staging =
        QDir(target).filePath(QStringLiteral(".") + StringUtil::stringWithUUID());
    if (!QDir().mkdir(staging))
        return QString();
    return staging;
}

quint64 ExtractionJob::totalSize() const {
    return isWholeArchive() ? rootEntry.totalSize() : ZipEntry::totalSizes(selection);
}

ExtractionJob::Outcome ExtractionJob::run(const QString &staging, const QString &password) {
    if (!password.isEmpty())
        reader.setPassword(password);
    if (isWholeArchive()) {
        if (!isCurrentThreadCancelled())
            reader.unArchivePath(nullptr, staging);
    } else {
        for (ZipEntry *entry : selection) {
            if (isCurrentThreadCancelled() || reader.archiveError())
                break;
            reader.unArchivePath(entry->isRootEntry() ? nullptr : entry, staging);
        }
    }
    return moveDestination(staging);
}

ExtractionJob::Outcome ExtractionJob::moveDestination(const QString &staging) const {
    Outcome outcome;
    outcome.cancelled = isCurrentThreadCancelled();
    outcome.error = reader.archiveError();
    const QString parent = QFileInfo(staging).absolutePath();
    // What the reader actually wrote decides the placement, not the names in the tree: a reader
    // may have dropped or cleaned names that could not be written safely.
    const QFileInfoList items = QDir(staging).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot);
    if (!outcome.cancelled && !outcome.error && !items.isEmpty()) {
        if (items.size() > 1) {
            outcome.placedPath =
                FreePlacement::moveToFreeFolderName(staging, parent, nameForSeveralItems());
        } else if (const QFileInfo &item = items.first(); item.isDir() && !item.isSymLink()) {
            outcome.placedPath =
                FreePlacement::moveToFreeFolderName(item.filePath(), parent, item.fileName());
        } else {
            outcome.placedPath = FreePlacement::moveToFreeFileName(
                item.filePath(), parent, FileUtil::getFileNameNoExtension(item.fileName()),
                FileUtil::getFileExtension(item.fileName()));
        }
        if (outcome.placedPath.isNull())
            outcome.error =
                archiveError(ArchiveErrorCode::FailedToCreateFile, items.first().fileName());
    }
    FileUtil::deleteFile(staging);
    return outcome;
}

QString ExtractionJob::nameForSeveralItems() const {
    const ZipEntry *last = selection.isEmpty() ? nullptr : selection.last();
    const ZipEntry *parentEntry = last && last->parent() ? last->parent() : &rootEntry;
    return ArchiveRules::getZipEntryName(*parentEntry, archivePath);
}
