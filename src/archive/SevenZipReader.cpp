#include "archive/SevenZipReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/SafePath.h"
#include "util/Cancellation.h"
#include "util/DateUtil.h"
#include "util/FileUtil.h"
#include "util/Localization.h"
#include "util/ProgressReceiver.h"
#include "util/StringUtil.h"

#include <QDir>

#include <cstring>

void SevenZipReader::initialize() {
    listParameter_.item = this;
    progressParameter_.item = this;
}

void SevenZipReader::listEntries() {
    clearError();
    if (!LV_LZMAUtil::listEntries(filePath(), listCallback, &listParameter_))
        setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive),
                       engineText("could not extract files from 7z archive")});
    else if (isCurrentThreadCancelled())
        setCancelled();
}

void SevenZipReader::extract(const QString &destination) {
    clearError();
    setDesFolder(destination);
    recordResult(LV_LZMAUtil::extract7zArchive(filePath(), destination, progressCallback,
                                               &progressParameter_));
}

void SevenZipReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        extract(destination);
        return;
    }
    setDesFolder(destination);
    QDir().mkpath(destination);
    Selection selection;
    if (!extractNode(entry, destination, FileUtil::parentFolder(entry->path()), selection)) {
        setCancelled();
        return;
    }
    recordResult(LV_LZMAUtil::extract7zArchive(filePath(), destination, progressCallback,
                                               selection.targets, &progressParameter_));
    // Folders are dated once their files are written, which would change the dates again.
    if (!restoresDates())
        return;
    for (const auto &[folder, date] : selection.folders)
        FileUtil::setModifiedDate(date, folder);
}

int32_t SevenZipReader::listCallback(Archive7ZListParameter *parameter) {
    auto *reader = static_cast<SevenZipReader *>(parameter->item);
    const auto name =
        reader->decodeName(parameter->filename, qsizetype(std::strlen(parameter->filename)));
    // The tree shows names the way extraction writes them: never above the destination.
    const QString path = SafePath::sanitize(name.value_or(QString()));
    if (!path.isEmpty()) {
        ArchiveEntry::Fields fields;
        fields.location.index = parameter->index;
        fields.CRC = parameter->crc;
        fields.uncompressedSize = parameter->size;
        fields.date = DateUtil::stringToDateGMT(QString::fromUtf8(parameter->time));
        fields.encrypted = parameter->encrypted != 0;
        ArchiveEntry::addToRoot(std::make_unique<ArchiveEntry>(
                                    parameter->isdir ? path + QLatin1Char('/') : path, fields),
                                reader->rootEntry());
    }
    return isCurrentThreadCancelled() ? 1 : 0;
}

int32_t SevenZipReader::progressCallback(Archive7ZProgressParameter *parameter) {
    auto *reader = static_cast<SevenZipReader *>(parameter->item);
    if (parameter->size > 0) {
        if (reader->progressReceiver())
            reader->progressReceiver()->addDone(parameter->size);
    } else if (parameter->time && *parameter->time && parameter->despath) {
        const QString written = QString::fromUtf8(parameter->despath);
        const QString fullPath =
            written.startsWith(QLatin1Char('/'))
                ? written
                : SafePath::join(QString::fromUtf8(parameter->desFolder), written);
        // The file's permission was set as it was written.
        if (reader->restoresDates())
            FileUtil::setModifiedDate(DateUtil::stringToDateGMT(QString::fromUtf8(parameter->time)),
                                      fullPath);
    }
    return isCurrentThreadCancelled() ? 1 : 0;
}

bool SevenZipReader::extractNode(ArchiveEntry *node, const QString &destination,
                                 const QString &relativePath, Selection &selection) {
    const QString fullPath =
        SafePath::join(destination, FileUtil::relativePath(node->path(), relativePath));
    if (node->isLeaf()) {
        selection.targets.append({node->location().index, fullPath});
        return true;
    }
    if (!SafePath::makeFolders(destination, fullPath))
        errorFailedToCreateFile(fullPath);
    selection.folders.append({fullPath, node->date()});
    for (const auto &child : node->children()) {
        if (isCurrentThreadCancelled())
            return false;
        if (!extractNode(child.get(), destination, relativePath, selection))
            return false;
    }
    return true;
}

void SevenZipReader::setDesFolder(const QString &destination) {
    const QString folder = StringUtil::trimRight(destination, QStringLiteral("/"));
    desFolder_ = (folder.isEmpty() ? destination : folder).toUtf8();
    progressParameter_.desFolder = desFolder_.constData();
}

void SevenZipReader::recordResult(Archive7ZResult result) {
    if (isCurrentThreadCancelled())
        setCancelled();
    else if (result == kArchive7ZEncrypted)
        setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive),
                       engineText("The archive is encrypted, which is not supported")});
    else if (result == kArchive7ZUnwritable)
        errorFailedToCreateFile(
            FileUtil::fileName(QString::fromStdString(progressParameter_.unwrittenPath)));
    else if (result == kArchive7ZFailure)
        errorArchive();
}
