#include "archive/Y7ZArchive.h"

#include "archive/SafePath.h"
#include "archive/ZipEntry.h"
#include "util/Cancellation.h"
#include "util/DateUtil.h"
#include "util/FileUtil.h"
#include "util/IActionProgress.h"
#include "util/Localization.h"
#include "util/StringUtil.h"

#include <QDir>

#include <cstring>

void Y7ZArchive::initParameter() {
    listParameter.item = this;
    progressParameter.item = this;
}

void Y7ZArchive::listFiles() {
    clearError();
    if (!LV_LZMAUtil::listFiles(filePath(), Y7ZListCallback, &listParameter))
        setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive),
                       BasicLocalizedString("could not extract files from 7z archive")});
    else if (isCurrentThreadCancelled())
        errorCancelOpertion();
}

void Y7ZArchive::unArchivePath(const QString &destination) {
    clearError();
    setDesFolder(destination);
    recordResult(LV_LZMAUtil::extract7zArchive(filePath(), destination, Y7ZProgressCallback,
                                               &progressParameter));
}

void Y7ZArchive::unArchivePath(ZipEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        unArchivePath(destination);
        return;
    }
    setDesFolder(destination);
    QDir().mkpath(destination);
    Selection selection;
    if (!unArchiveAssignDetailPath(entry, destination, FileUtil::getFileDirectory(entry->path()),
                                   selection)) {
        errorCancelOpertion();
        return;
    }
    recordResult(LV_LZMAUtil::extract7zArchive(filePath(), destination, Y7ZProgressCallback,
                                               selection.targets, &progressParameter));
    // Folders are dated once their files are written, which would change the dates again.
    if (!isArchiveFileTime())
        return;
    for (const auto &[folder, date] : selection.folders)
        FileUtil::setFileModifiedDate(date, folder);
}

int32_t Y7ZArchive::Y7ZListCallback(Archive7ZListParameter *parameter) {
    auto *reader = static_cast<Y7ZArchive *>(parameter->item);
    const auto name =
        reader->charToNSString(parameter->filename, qsizetype(std::strlen(parameter->filename)));
    // The tree shows names the way extraction writes them: never above the destination.
    const QString path = SafePath::sanitize(name.value_or(QString()));
    if (!path.isEmpty()) {
        ZipEntry::Fields fields;
        fields.file_pos.num_of_file = parameter->index;
        fields.CRC = parameter->crc;
        fields.uncompressedSize = parameter->size;
        fields.date = DateUtil::stringToDateGMT(QString::fromUtf8(parameter->time));
        ZipEntry::addToRootEntry(
            std::make_unique<ZipEntry>(parameter->isdir ? path + QLatin1Char('/') : path, fields),
            reader->rootEntry());
    }
    return isCurrentThreadCancelled() ? 1 : 0;
}

int32_t Y7ZArchive::Y7ZProgressCallback(Archive7ZProgressParameter *parameter) {
    auto *reader = static_cast<Y7ZArchive *>(parameter->item);
    if (parameter->size > 0) {
        if (reader->actionDelegate())
            reader->actionDelegate()->progressFinished(parameter->size);
    } else if (parameter->time && *parameter->time && parameter->despath) {
        const QString written = QString::fromUtf8(parameter->despath);
        const QString fullPath =
            written.startsWith(QLatin1Char('/'))
                ? written
                : SafePath::join(QString::fromUtf8(parameter->desFolder), written);
        // The file's permission was set as it was written.
        if (reader->isArchiveFileTime())
            FileUtil::setFileModifiedDate(
                DateUtil::stringToDateGMT(QString::fromUtf8(parameter->time)), fullPath);
    }
    return isCurrentThreadCancelled() ? 1 : 0;
}

bool Y7ZArchive::unArchiveAssignDetailPath(ZipEntry *node, const QString &destination,
                                           const QString &relativePath, Selection &selection) {
    const QString fullPath =
        SafePath::join(destination, FileUtil::getRelativePath(node->path(), relativePath));
    if (node->isLeaf()) {
        selection.targets.append({node->getFilePos().num_of_file, fullPath});
        return true;
    }
    if (!SafePath::makeFolders(destination, fullPath))
        errorFailedToCreateFile(fullPath);
    selection.folders.append({fullPath, node->date()});
    for (const auto &child : node->childEntries()) {
        if (isCurrentThreadCancelled())
            return false;
        if (!unArchiveAssignDetailPath(child.get(), destination, relativePath, selection))
            return false;
    }
    return true;
}

void Y7ZArchive::setDesFolder(const QString &destination) {
    const QString folder = CommononExtention::trimRight(destination, QStringLiteral("/"));
    desFolder = (folder.isEmpty() ? destination : folder).toUtf8();
    progressParameter.desFolder = desFolder.constData();
}

void Y7ZArchive::recordResult(Archive7ZResult result) {
    if (isCurrentThreadCancelled())
        errorCancelOpertion();
    else if (result == kArchive7ZEncrypted)
        setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive),
                       BasicLocalizedString("The archive is encrypted, which is not supported")});
    else if (result == kArchive7ZUnwritable)
        errorFailedToCreateFile(
            FileUtil::getFileName(QString::fromStdString(progressParameter.unwrittenPath)));
    else if (result == kArchive7ZFailure)
        errorArchive();
}
