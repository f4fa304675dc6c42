#pragma once

#include "archive/ArchiveBase.h"

#include <QFile>
#include <QHash>

#include <array>

struct TarEntry;
class TarRecordReader;

// Reads uncompressed tar archives (GNU, ustar and pax) with a parser of its own: lists regular
// files, folders, symbolic links and hard links, and extracts them with their modes and dates.
// Devices, FIFOs and vendor records are never created.
class YTarManager : public ArchiveBase {
public:
    using ArchiveBase::ArchiveBase;

    // Tar times count from 1 January 1970 GMT.
    void initParameter() override;
    void listFiles() override;
    void unArchivePath(const QString &destination) override;
    void unArchivePath(ZipEntry *entry, const QString &destination) override;

    // Walks the whole archive: lists its entries when listOnly, else extracts them into
    // destination().
    void extractFile(bool listOnly);
    QString destination() const { return destination_; }

private:
    // Where a regular file's data lies, for hard links that name it later on.
    struct DataSpan {
        qint64 position = 0;
        quint64 size = 0;
    };
    // What one walk remembers: the files hard links may copy, the folders dated at its end.
    struct Walk {
        QHash<QString, DataSpan> files;
        QList<QPair<QString, std::optional<QDateTime>>> folders;
    };
    enum class WriteResult { Written, NotCreated, Cancelled, Truncated };

    bool listEntry(const TarEntry &entry, Walk &walk, TarRecordReader &reader);
    bool extractEntry(const TarEntry &entry, Walk &walk, TarRecordReader &reader, QFile &file);
    WriteResult extractHardLink(const TarEntry &entry, Walk &walk, QFile &file);
    // The entry's name as a relative path that stays inside the destination; "" when none.
    QString entryPath(const TarEntry &entry) const;
    QString linkTarget(const TarEntry &entry) const;
    // The earlier file a hard link names; none when there is none or the name leaves the archive.
    std::optional<DataSpan> hardLinkSource(const TarEntry &entry, const Walk &walk) const;

    // Writes one file from the tar data at the file's position, or a symbolic link when a
    // target is given.
    WriteResult createFile(const QString &name, const QString &aliasTargetPath, quint64 size,
                           QFile &file, const std::optional<QDateTime> &date, quint32 mode);
    WriteResult copyData(QFile &file, quint64 size, QFile &output);
    // Creates the folder; false when it cannot lie inside the destination.
    bool createFolder(const QString &name);
    bool unArchiveAssignDetailPath(ZipEntry *node, const QString &relativePath, QFile &file);
    bool extractNodeFile(ZipEntry *node, const QString &name, QFile &file);
    void setFolderDate(const QString &fullPath, const std::optional<QDateTime> &date);

    QString destination_;
    std::array<char, 10240> filebuffer{};
};
