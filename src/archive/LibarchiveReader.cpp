#include "archive/LibarchiveReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/LibarchiveExtraction.h"
#include "archive/LibarchiveInput.h"
#include "archive/SafePath.h"
#include "archive/SevenZipBlockDecoder.h"
#include "archive/SevenZipLayout.h"
#include "archive/SevenZipVolumes.h"
#include "util/Cancellation.h"
#include "util/Localization.h"
#include "util/PathUtil.h"
#include "util/ThreadPool.h"

#include <QDir>

#include <archive_entry.h>

LibarchiveReader::LibarchiveReader(const QString &filePath, ArchiveEntry *rootEntry,
                                   ProgressReceiver *action, const QString &password,
                                   StringEncoding fileEncoding, ArchiveKind kind)
    : ReaderBase(filePath, rootEntry, action, password, fileEncoding)
    , kind_(kind) {
}

std::unique_ptr<LibarchiveInput> LibarchiveReader::openInput() const {
    return std::make_unique<LibarchiveInput>(
        kind_, filePath(),
        [this](const char *bytes, qsizetype length) { return decodeName(bytes, length); });
}

void LibarchiveReader::listEntries() {
    clearError();
    const QString failure = kind_ == ArchiveKind::SevenZip
                                ? Engine::tr("could not extract files from 7z archive")
                                : ::archiveError(ArchiveErrorCode::Archive).message;
    const auto opened = openInput();
    LibarchiveInput &input = *opened;
    if (reportUnreadable(input, failure))
        return;
    for (quint64 index = 0;; ++index) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return;
        }
        switch (input.next()) {
        case LibarchiveInput::Next::Entry:
            addEntry(index, input);
            break;
        case LibarchiveInput::Next::End:
            return;
        case LibarchiveInput::Next::Encrypted:
            errorEncrypted();
            return;
        case LibarchiveInput::Next::Failed:
            setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive), failure});
            return;
        }
    }
}

void LibarchiveReader::addEntry(quint64 index, LibarchiveInput &input) {
    archive_entry *entry = input.entry();
    // The tree shows names the way extraction writes them: never above the destination.
    const QString path = input.path(entry);
    if (path.isEmpty())
        return;
    ArchiveEntry::Fields fields;
    fields.location.index = index;
    fields.uncompressedSize = quint64(qMax<la_int64_t>(archive_entry_size(entry), 0));
    fields.permission = LibarchiveInput::permission(entry);
    fields.date = LibarchiveInput::modifiedDate(entry);
    fields.encrypted = archive_entry_is_data_encrypted(entry) != 0;
    const auto type = LibarchiveInput::fileType(entry);
    if (type == AE_IFLNK)
        fields.linkTarget = input.linkTarget(entry);
    ArchiveEntry::addToRoot(
        std::make_unique<ArchiveEntry>(type == AE_IFDIR ? path + QLatin1Char('/') : path, fields),
        rootEntry());
}

void LibarchiveReader::extract(const QString &destination) {
    clearError();
    QDir().mkpath(destination);
    LibarchiveExtraction extraction(destination, restoresDates(), progressReceiver());
    run(extraction, nullptr);
}

void LibarchiveReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        extract(destination);
        return;
    }
    QDir().mkpath(destination);
    LibarchiveExtraction extraction(destination, restoresDates(), progressReceiver());
    QHash<quint64, QString> files;
    if (!select(*entry, destination, PathUtil::parentFolder(entry->path()), extraction, files)) {
        setCancelled();
        return;
    }
    run(extraction, &files);
}

bool LibarchiveReader::select(const ArchiveEntry &node, const QString &destination,
                              const QString &relativeTo, LibarchiveExtraction &extraction,
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

void LibarchiveReader::run(LibarchiveExtraction &extraction, const QHash<quint64, QString> *files) {
    const auto opened = openInput();
    LibarchiveInput &input = *opened;
    if (reportUnreadable(input, ::archiveError(ArchiveErrorCode::Archive).message))
        return;
    // Solid blocks decode independently: several of them go to workers of their own. One file
    // is always in one block. LZMA2 blocks that reset their dictionary as they go are cut
    // there instead, and the pieces decoded on every core.
    std::vector<EntryRange> ranges;
    if (kind_ == ArchiveKind::SevenZip) {
        const QStringList parts = SevenZipVolumes(filePath()).files();
        if (const auto layout = SevenZipLayout::read(parts)) {
            if (auto blocks = SevenZipBlockDecoder::create(parts, *layout, files))
                input.readDataFrom(std::move(blocks));
            else if (!files || files->size() > 1)
                ranges = layout->split(ThreadPool::shared().width(), files);
        }
    }
    const LibarchiveExtraction::Outcome outcome =
        ranges.empty() ? extraction.run(input, files)
                       : extraction.runParallel(
                             ranges, [this] { return openInput(); }, files);
    for (const ArchiveWarning &warning : extraction.leftOut())
        addWarning(warning.kind, warning.name);
    for (const auto &[name, error] : extraction.unwritten())
        writeFailed(writeError(error, name), name);
    switch (outcome) {
    case LibarchiveExtraction::Outcome::Done:
        break;
    case LibarchiveExtraction::Outcome::Cancelled:
        setCancelled();
        break;
    case LibarchiveExtraction::Outcome::Encrypted:
        errorEncrypted();
        break;
    case LibarchiveExtraction::Outcome::Unwritable:
        // Named by the failures above.
        break;
    case LibarchiveExtraction::Outcome::Damaged:
        errorArchive();
        break;
    }
}

bool LibarchiveReader::reportUnreadable(const LibarchiveInput &input, const QString &message) {
    if (!input.missingPart().isEmpty())
        setError(::archiveError(ArchiveErrorCode::MissingVolume, input.missingPart()));
    else if (!input.isOpen())
        setError(Error{kArchiveErrorDomain, int(ArchiveErrorCode::Archive), message});
    else
        return false;
    return true;
}

void LibarchiveReader::errorEncrypted() {
    setError(::archiveError(ArchiveErrorCode::EncryptionUnsupported));
}
