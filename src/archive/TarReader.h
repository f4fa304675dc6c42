#pragma once

#include "archive/ExtractionOutput.h"
#include "archive/ReaderBase.h"

#include <QHash>

#include <vector>

struct GrowingTar;
struct TarEntry;
class TarInput;
class TarRecordReader;

// Reads uncompressed tar archives (GNU, ustar and pax) with a parser of its own: lists regular
// files, folders, symbolic links and hard links, and extracts them with their modes and dates.
// Devices, FIFOs and vendor records are never created.
class TarReader : public ReaderBase {
public:
    using ReaderBase::ReaderBase;

    // Tar times count from 1 January 1970 GMT.
    void initialize() override;
    void listEntries() override;
    void extract(const QString &destination) override;
    void extract(ArchiveEntry *entry, const QString &destination) override;

    // Walks the whole archive: lists its entries when listOnly, else extracts them into
    // destination().
    void walkArchive(bool listOnly);
    QString destination() const { return destination_; }
    // The archive is still being decompressed by another thread: walks wait for its bytes.
    void followGrowth(const GrowingTar *growing) { growing_ = growing; }
    // The archive is held in memory that outlives the reader: read there, never from its path.
    void readFromMemory(QByteArrayView tar) { memory_ = tar; }

private:
    // A regular file hard links may name later on: where its records begin and its sizes.
    struct StoredFile {
        qint64 recordPosition = 0;
        quint64 size = 0;
        quint64 realSize = 0;
    };
    // What one walk remembers: the files hard links may copy, the folders dated at its end.
    struct Walk {
        QHash<QString, StoredFile> files;
        QList<QPair<QString, std::optional<QDateTime>>> folders;
    };
    enum class WriteResult { Written, NotCreated, Cancelled, Truncated };

    bool listEntry(const TarEntry &entry, Walk &walk, TarRecordReader &reader);
    bool extractEntry(const TarEntry &entry, Walk &walk, TarRecordReader &reader, TarInput &input);
    WriteResult extractHardLink(const TarEntry &entry, Walk &walk, TarInput &input);
    static void rememberFile(Walk &walk, const QString &path, WriteResult result,
                             const StoredFile &file);
    // A hard link in a tar read once: a copy of the file extracted from the archive.
    WriteResult copyExtractedFile(const TarEntry &entry, const StoredFile &source);
    // The entry's name as a relative path that stays inside the destination; "" when none.
    QString entryPath(const TarEntry &entry) const;
    QString linkTarget(const TarEntry &entry) const;
    // The earlier file a hard link names; none when there is none or the name leaves the archive.
    std::optional<StoredFile> hardLinkSource(const TarEntry &entry, const Walk &walk) const;
    // The regular file whose records begin at recordPosition, the input left at its data.
    static std::optional<TarEntry> readFileAt(qint64 recordPosition, TarInput &input);

    // Writes a symbolic link to target.
    void createSymbolicLink(const QString &name, const QString &target,
                            const std::optional<QDateTime> &date);
    // Writes the file whose data the input is at.
    WriteResult createFile(const QString &name, const TarEntry &data, TarInput &input,
                           const std::optional<QDateTime> &date, quint32 mode);
    // Copies the file's stored bytes from the input into the open output, a sparse file's into
    // its spans, leaving holes between them.
    WriteResult copyData(TarInput &input, const TarEntry &data);
    WriteResult copyBytes(TarInput &input, quint64 size);
    // Creates the folder; false when it cannot lie inside the destination.
    bool createFolder(const QString &name);
    bool extractNode(ArchiveEntry *node, const QString &relativePath, TarInput &input);
    bool extractNodeFile(ArchiveEntry *node, const QString &name, TarInput &input);
    void setFolderDate(const QString &fullPath, const std::optional<QDateTime> &date);
    // Opens the archive, from memory or its file; false (with the error recorded) when it cannot.
    bool openInput(TarInput &input);

    QString destination_;
    const GrowingTar *growing_ = nullptr;
    QByteArrayView memory_;
    // Allocated by the first extraction, kept for the next ones.
    std::vector<char> buffer_;
};
