#include "archive/SevenZipReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/SafePath.h"
#include "archive/SevenZipExtraction.h"
#include "archive/SevenZipInput.h"
#include "util/Cancellation.h"
#include "util/Localization.h"
#include "util/PathUtil.h"

#include <QDir>

#include <archive_entry.h>

void SevenZipReader::listEntries() {
    clearError();
    const QString failure = Engine::tr("could not extract files from 7z archive");
    SevenZipInput input(filePath());
    if (reportUnreadable(input, failure))
        return;
    for (quint64 index = 0;; ++index) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return;
        }
        switch (input.next()) {
        case SevenZipInput::Next::Entry:
            addEntry(index, input);
            break;
        case SevenZipInput::Next::End:
            return;
        case SevenZipInput::Next::Encrypted:
            errorEncrypted();
            return;
        case SevenZipInput::Next::Failed:
            setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive), failure});
            return;
        }
    }
}

void SevenZipReader::addEntry(quint64 index, SevenZipInput &input) {
    archive_entry *entry = input.entry();
    // The tree shows names the way extraction writes them: never above the destination.
    const QString path = SevenZipInput::path(entry);
    if (path.isEmpty())
        return;
    ArchiveEntry::Fields fields;
    fields.location.index = index;
    fields.uncompressedSize = quint64(qMax<la_int64_t>(archive_entry_size(entry), 0));
    fields.permission = SevenZipInput::permission(entry);
    fields.date = SevenZipInput::modifiedDate(entry);
    fields.encrypted = archive_entry_is_data_encrypted(entry) != 0;
    const auto type = SevenZipInput::fileType(entry);
    if (type == AE_IFLNK)
        fields.linkTarget = SevenZipInput::linkTarget(entry);
    ArchiveEntry::addToRoot(
        std::make_unique<ArchiveEntry>(type == AE_IFDIR ? path + QLatin1Char('/') : path, fields),
        rootEntry());
}

void SevenZipReader::extract(const QString &destination) {
    clearError();
    QDir().mkpath(destination);
    SevenZipExtraction extraction(destination, restoresDates(), progressReceiver());
    run(extraction, nullptr);
}

void SevenZipReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        extract(destination);
        return;
    }
    QDir().mkpath(destination);
    SevenZipExtraction extraction(destination, restoresDates(), progressReceiver());
    QHash<quint64, QString> files;
    if (!select(*entry, destination, PathUtil::parentFolder(entry->path()), extraction, files)) {
        setCancelled();
        return;
    }
    run(extraction, &files);
}

bool SevenZipReader::select(const ArchiveEntry &node, const QString &destination,
                            const QString &relativeTo, SevenZipExtraction &extraction,
                            QHash<quint64, QString> &files) {
    const QString fullPath =
        SafePath::join(destination, PathUtil::relativePath(node.path(), relativeTo));
    if (node.isLeaf()) {
        files.insert(node.location().index, fullPath);
        return true;
    }
    if (SafePath::makeFolders(destination, fullPath))
        extraction.addFolder(fullPath, node.permission(), node.date());
    else
        extraction.noteUnwritable(fullPath, errno);
    for (const auto &child : node.children()) {
        if (isCurrentThreadCancelled() ||
            !select(*child, destination, relativeTo, extraction, files))
            return false;
    }
    return true;
}

void SevenZipReader::run(SevenZipExtraction &extraction, const QHash<quint64, QString> *files) {
    SevenZipInput input(filePath());
    if (reportUnreadable(input, ::archiveError(ArchiveErrorCode::Archive).message))
        return;
    const SevenZipExtraction::Outcome outcome = extraction.run(input, files);
    for (const ArchiveWarning &warning : extraction.leftOut())
        addWarning(warning.kind, warning.name);
    for (const auto &[name, error] : extraction.unwritten())
        writeFailed(writeError(error, name), name);
    switch (outcome) {
    case SevenZipExtraction::Outcome::Done:
        break;
    case SevenZipExtraction::Outcome::Cancelled:
        setCancelled();
        break;
    case SevenZipExtraction::Outcome::Encrypted:
        errorEncrypted();
        break;
    case SevenZipExtraction::Outcome::Unwritable:
        // Named by the failures above.
        break;
    case SevenZipExtraction::Outcome::Damaged:
        errorArchive();
        break;
    }
}

bool SevenZipReader::reportUnreadable(const SevenZipInput &input, const QString &message) {
    if (!input.missingPart().isEmpty())
        setError(::archiveError(ArchiveErrorCode::MissingVolume, input.missingPart()));
    else if (!input.isOpen())
        setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive), message});
    else
        return false;
    return true;
}

void SevenZipReader::errorEncrypted() {
    setError(::archiveError(ArchiveErrorCode::EncryptionUnsupported));
}
