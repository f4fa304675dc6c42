#include "archive/TarReader.h"

#include "archive/ArchiveEntry.h"
#include "archive/SafePath.h"
#include "archive/TarInput.h"
#include "archive/TarRecordReader.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/PathUtil.h"
#include "util/ProgressSteps.h"

#include <QDir>
namespace {

// Large files move in large pieces; progress still counts in the steps of the record size.
constexpr std::size_t kBufferSize = std::size_t{256} * 1024;
constexpr quint64 kProgressStep = 10240;

// Pax names are UTF-8 by definition; everything else is decoded like any other entry name.
std::optional<QString> decodeText(const ReaderBase &reader, const QByteArray &bytes, bool utf8) {
    if (utf8) {
        if (auto text =
                StringEncodings::decode(bytes.constData(), bytes.size(), kUTF8StringEncoding))
            return text;
    }
    return reader.decodeName(bytes.constData(), bytes.size());
}

bool leavesTheArchive(const QString &name) {
    return name.split(QLatin1Char('/')).contains(QLatin1String(".."));
}

} // namespace

void TarReader::initialize() {
    setEpoch(unixEpoch());
}

void TarReader::listEntries() {
    clearError();
    walkArchive(true);
}

void TarReader::extract(const QString &destination) {
    clearError();
    destination_ = destination;
    walkArchive(false);
}

void TarReader::extract(ArchiveEntry *entry, const QString &destination) {
    clearError();
    if (!entry) {
        extract(destination);
        return;
    }
    resetProgressSize();
    destination_ = destination;
    TarInput input;
    if (!openInput(input))
        return;
    QDir().mkpath(destination_);
    extractNode(entry, PathUtil::parentFolder(entry->path()), input);
}

void TarReader::walkArchive(bool listOnly) {
    resetProgressSize();
    TarInput input;
    if (!openInput(input))
        return;
    if (!listOnly)
        QDir().mkpath(destination_);
    TarRecordReader reader(input);
    Walk walk;
    for (;;) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            break;
        }
        TarEntry entry;
        const auto status = reader.next(entry);
        if (status == TarRecordReader::Status::End)
            break;
        if (status == TarRecordReader::Status::Damaged) {
            errorArchive();
            break;
        }
        const bool goOn =
            listOnly ? listEntry(entry, walk, reader) : extractEntry(entry, walk, reader, input);
        if (!goOn)
            break;
    }
    // Folders are dated last: writing their files would change the dates again.
    for (const auto &[folder, date] : walk.folders)
        setFolderDate(folder, date);
}

bool TarReader::openInput(TarInput &input) {
    if (!memory_.isNull()) {
        input.open(memory_);
        return true;
    }
    if (input.open(filePath(), growing_))
        return true;
    errorFailedOpenFile();
    return false;
}

bool TarReader::listEntry(const TarEntry &entry, Walk &walk, TarRecordReader &reader) {
    const QString path = entryPath(entry);
    ArchiveEntry::Fields fields;
    fields.date = dateFromSeconds(entry.mtime);
    fields.location.offset = quint64(entry.recordPosition);
    std::optional<QString> nodePath;
    std::optional<StoredFile> stored;
    switch (entry.type) {
    case TarRecordType::RegularFile:
        stored = StoredFile{entry.recordPosition, entry.size, entry.realSize};
        break;
    case TarRecordType::HardLink:
        // Listed as the file it names, so extracting it alone copies that file's data.
        stored = hardLinkSource(entry, walk);
        break;
    case TarRecordType::SymbolicLink:
        fields.linkTarget = linkTarget(entry);
        nodePath = path;
        break;
    case TarRecordType::Folder:
        // A folder record is a folder whether or not its stored name ends in "/".
        nodePath = path + QLatin1Char('/');
        break;
    default:
        break;
    }
    if (stored) {
        fields.location.offset = quint64(stored->recordPosition);
        fields.compressedSize = stored->size;
        fields.uncompressedSize = stored->realSize;
        nodePath = path;
        if (!path.isEmpty())
            walk.files.insert(path, *stored);
    }
    if (nodePath && !path.isEmpty()) {
        ArchiveEntry::addToRoot(std::make_unique<ArchiveEntry>(*nodePath, fields), rootEntry());
    }
    if (!reader.skipData(entry)) {
        errorArchive();
        return false;
    }
    return true;
}

bool TarReader::extractEntry(const TarEntry &entry, Walk &walk, TarRecordReader &reader,
                             TarInput &input) {
    const QString path = entryPath(entry);
    const auto date = dateFromSeconds(entry.mtime);
    WriteResult result = WriteResult::NotCreated;
    if (!path.isEmpty()) {
        switch (entry.type) {
        case TarRecordType::RegularFile:
            result = createFile(path, entry, input, date, entry.mode);
            rememberFile(walk, path, result, {entry.recordPosition, entry.size, entry.realSize});
            break;
        case TarRecordType::HardLink:
            result = extractHardLink(entry, walk, input);
            break;
        case TarRecordType::SymbolicLink:
            createSymbolicLink(path, linkTarget(entry), date);
            result = WriteResult::Written;
            break;
        case TarRecordType::SpecialFile:
            addWarning(ArchiveWarning::Kind::SpecialFileLeftOut, path);
            break;
        case TarRecordType::Folder:
            if (createFolder(path))
                walk.folders.append({SafePath::join(destination_, path), date});
            else
                errorFailedToCreateFile(path);
            break;
        default:
            break;
        }
    }
    if (result == WriteResult::Cancelled)
        return false;
    if (result == WriteResult::Truncated || !reader.skipData(entry)) {
        errorArchive();
        return false;
    }
    return true;
}

TarReader::WriteResult TarReader::extractHardLink(const TarEntry &entry, Walk &walk,
                                                  TarInput &input) {
    const QString path = entryPath(entry);
    const auto source = hardLinkSource(entry, walk);
    if (!source) {
        errorFailedToCreateFile(path);
        return WriteResult::NotCreated;
    }
    // A copy of the data in the archive, never of whatever now lies at the target's path.
    WriteResult result = WriteResult::NotCreated;
    if (input.keepsEarlierData()) {
        const auto file = readFileAt(source->recordPosition, input);
        if (!file)
            return WriteResult::Truncated;
        result = createFile(path, *file, input, dateFromSeconds(entry.mtime), entry.mode);
    } else {
        result = copyExtractedFile(entry, *source);
    }
    rememberFile(walk, path, result, *source);
    return result;
}

void TarReader::rememberFile(Walk &walk, const QString &path, WriteResult result,
                             const StoredFile &file) {
    // A file not written whole is no source for a later link, not even the earlier one's data.
    if (result == WriteResult::Written)
        walk.files.insert(path, file);
    else
        walk.files.remove(path);
}

TarReader::WriteResult TarReader::copyExtractedFile(const TarEntry &entry,
                                                    const StoredFile &source) {
    // The walk remembers a name only once its file was written whole, and no later entry can
    // turn that file into a link: what lies there is the archive's data.
    const QString target = SafePath::sanitize(linkTarget(entry));
    if (target == entryPath(entry))
        return WriteResult::Written;
    TarInput extracted;
    if (!extracted.open(SafePath::join(destination_, target))) {
        errorFailedToCreateFile(entryPath(entry));
        return WriteResult::NotCreated;
    }
    TarEntry file;
    file.size = source.realSize;
    return createFile(entryPath(entry), file, extracted, dateFromSeconds(entry.mtime), entry.mode);
}

QString TarReader::entryPath(const TarEntry &entry) const {
    return SafePath::sanitize(decodeText(*this, entry.name, entry.nameIsUtf8).value_or(QString()));
}

QString TarReader::linkTarget(const TarEntry &entry) const {
    return decodeText(*this, entry.linkName, entry.linkNameIsUtf8).value_or(QStringLiteral(""));
}

std::optional<TarReader::StoredFile> TarReader::hardLinkSource(const TarEntry &entry,
                                                               const Walk &walk) const {
    const QString target = linkTarget(entry);
    if (leavesTheArchive(target))
        return std::nullopt;
    const auto found = walk.files.constFind(SafePath::sanitize(target));
    if (found == walk.files.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<TarEntry> TarReader::readFileAt(qint64 recordPosition, TarInput &input) {
    TarRecordReader reader(input);
    TarEntry file;
    if (!input.seek(recordPosition) || reader.next(file) != TarRecordReader::Status::Entry ||
        file.type != TarRecordType::RegularFile)
        return std::nullopt;
    return file;
}

void TarReader::createSymbolicLink(const QString &name, const QString &target,
                                   const std::optional<QDateTime> &date) {
    createLink(destination_, SafePath::join(destination_, name), target, date);
}

TarReader::WriteResult TarReader::createFile(const QString &name, const TarEntry &data,
                                             TarInput &input, const std::optional<QDateTime> &date,
                                             quint32 mode) {
    if (!output().create(destination_, SafePath::join(destination_, name))) {
        errorFailedToCreateFile(name);
        return WriteResult::NotCreated;
    }
    const WriteResult result = copyData(input, data);
    if (result == WriteResult::NotCreated)
        errorFailedToCreateFile(name);
    // A file whose data is cut short is no file of the archive's: nothing half-written stays.
    if (result == WriteResult::Truncated)
        output().discard();
    else if (result != WriteResult::Written)
        output().close();
    if (result != WriteResult::Written)
        return result;
    // Set-user-ID and similar bits are never restored from an archive.
    if (!output().finish(mode & 0777, restoresDates() ? date : std::nullopt)) {
        errorFailedToCreateFile(name);
        return WriteResult::NotCreated;
    }
    return WriteResult::Written;
}

TarReader::WriteResult TarReader::copyData(TarInput &input, const TarEntry &data) {
    if (!data.isSparse)
        return copyBytes(input, data.size);
    for (const TarSparseSegment &segment : data.sparseMap) {
        if (!output().seek(qint64(segment.offset)))
            return WriteResult::NotCreated;
        if (const WriteResult result = copyBytes(input, segment.length);
            result != WriteResult::Written)
            return result;
    }
    if (!output().resize(qint64(data.realSize)))
        return WriteResult::NotCreated;
    // The holes count as written: progress adds up to the file's size.
    reportInSteps(data.realSize - data.size, kProgressStep,
                  [this](quint64 step) { addProgress(step); });
    return WriteResult::Written;
}

TarReader::WriteResult TarReader::copyBytes(TarInput &input, quint64 size) {
    if (buffer_.empty())
        buffer_.resize(kBufferSize);
    for (quint64 remaining = size; remaining > 0;) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return WriteResult::Cancelled;
        }
        const qint64 wanted = qint64(qMin<quint64>(remaining, buffer_.size()));
        // A tar in memory is written from where it lies.
        const auto piece = input.borrow(wanted);
        const char *data = piece ? piece->data() : buffer_.data();
        const qint64 got = piece ? piece->size() : input.read(buffer_.data(), wanted);
        if (got <= 0)
            return WriteResult::Truncated;
        if (!output().write(data, got))
            return WriteResult::NotCreated;
        remaining -= quint64(got);
        reportInSteps(quint64(got), kProgressStep, [this](quint64 step) { addProgress(step); });
    }
    return WriteResult::Written;
}

bool TarReader::createFolder(const QString &name) {
    return output().makeFolders(destination_, SafePath::join(destination_, name));
}

bool TarReader::extractNode(ArchiveEntry *node, const QString &relativePath, TarInput &input) {
    // Named as below the destination, as the whole archive's walk names it.
    const QString name = SafePath::below(
        destination_,
        SafePath::join(destination_, PathUtil::relativePath(node->path(), relativePath)));
    if (node->isLeaf())
        return extractNodeFile(node, name, input);
    if (!createFolder(name))
        errorFailedToCreateFile(name);
    for (const auto &child : node->children()) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return false;
        }
        if (!extractNode(child.get(), relativePath, input))
            return false;
    }
    setFolderDate(SafePath::join(destination_, name), node->date());
    return true;
}

bool TarReader::extractNodeFile(ArchiveEntry *node, const QString &name, TarInput &input) {
    if (!node->linkTarget().isNull()) {
        createSymbolicLink(name, node->linkTarget(), node->date());
        return true;
    }
    // The node keeps where its records begin: they are read again for the mode and the data.
    const auto file = readFileAt(qint64(node->location().offset), input);
    if (!file) {
        errorArchive();
        return true;
    }
    const WriteResult result = createFile(name, *file, input, node->date(), file->mode);
    if (result == WriteResult::Truncated)
        errorArchive();
    return result != WriteResult::Cancelled;
}

void TarReader::setFolderDate(const QString &fullPath, const std::optional<QDateTime> &date) {
    if (restoresDates())
        FileAttributes::setModifiedDate(date, fullPath);
}
