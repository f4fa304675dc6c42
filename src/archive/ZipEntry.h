#pragma once

#include "archive/IFileEntry.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// Where a reader finds an entry again: zip keeps minizip's central-directory position, tar the
// data offset (first field) and size (second field).
struct unz_file_pos_s {
    quint64 pos_in_zip_directory = 0;
    quint64 num_of_file = 0;
};

// What a reader knows of one entry besides its path; formats leave what they lack at zero.
struct ZipEntryFields {
    unz_file_pos_s file_pos;
    quint32 CRC = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint16 compressionType = 0;
    QString aliasTargetPath; // null when the entry is not a symbolic link
    std::optional<QDateTime> date;
};

// One node of an archive's entry tree. Folders own their children; the tree creates missing
// intermediate folders itself, drops duplicate names and keeps per-folder totals.
class ZipEntry : public IFileEntry {
public:
    using Fields = ZipEntryFields;

    // A folder path ends in "/"; everything else is a leaf.
    explicit ZipEntry(const QString &path, const Fields &fields = {}, ZipEntry *parent = nullptr);
    static std::unique_ptr<ZipEntry> rootEntry();

    ZipEntry(const ZipEntry &) = delete;
    ZipEntry &operator=(const ZipEntry &) = delete;

    // Places this node under the root along its leading path, creating missing folders. The root
    // takes ownership when the node is added; answers false (and the node is dropped) otherwise.
    static bool addToRootEntry(std::unique_ptr<ZipEntry> entry, ZipEntry *root);
    // The child folder with that name, created when missing and asked for.
    ZipEntry *childDirectoryEntryWithName(const QString &name, bool createIfNotPresent);
    bool addChildEntry(std::unique_ptr<ZipEntry> child, bool checkIfExists = false);
    // The first child with the entry's name; a child without date takes the entry's date.
    ZipEntry *findDirEntry(const ZipEntry &entry);
    // The first child folder with exactly that name.
    ZipEntry *findDirEntryCheckLeaf(const QString &name) const;
    void clear();
    static quint64 totalSizes(const QList<ZipEntry *> &entries);

    bool isRootEntry() const { return path_ == QLatin1String("/"); }
    const std::vector<std::unique_ptr<ZipEntry>> &childEntries() const { return children_; }
    unz_file_pos_s getFilePos() const { return fields_.file_pos; }
    QString displayName() const { return name_; }
    // Localized, case-insensitive order of the names.
    int compare(const ZipEntry &other) const;
    QString description() const;

    // The parent folder's path: the path without its last component ("/" for the root).
    QString leadingPath() const;
    QString aliasTargetPath() const { return fields_.aliasTargetPath; }
    quint32 CRC() const { return fields_.CRC; }
    quint64 compressedSize() const { return fields_.compressedSize; }
    quint64 uncompressedSize() const { return fields_.uncompressedSize; }
    quint16 compressionType() const { return fields_.compressionType; }
    const std::optional<QDateTime> &date() const { return fields_.date; }
    quint64 totalSize() const { return totalSize_; }
    quint64 compressTotalSize() const { return compressTotalSize_; }
    qint64 totalNumber() const { return totalNumber_; }
    ZipEntry *parent() const { return parent_; }

    // IFileEntry
    QString name() const override { return name_; }
    QString path() const override { return path_; }
    QString modifiedString() const override;
    QString filesizeString() const override;
    QString createdString() const override { return modifiedString(); }
    QString compressedString() const override;
    quint64 size() const override { return fields_.uncompressedSize; }
    bool isLeaf() const override { return isLeaf_; }
    qsizetype childCount() const override { return qsizetype(children_.size()); }
    IFileEntry *childAt(qsizetype index) const override {
        return children_.at(size_t(index)).get();
    }

private:
    QString name_;
    QString path_;
    bool isLeaf_;
    Fields fields_;
    quint64 totalSize_ = 0;
    quint64 compressTotalSize_ = 0;
    qint64 totalNumber_ = 0;
    ZipEntry *parent_;
    std::vector<std::unique_ptr<ZipEntry>> children_;
    // First child of each name, and first child folder of each name: lookups stay constant-time
    // on folders with many thousands of children.
    QHash<QString, ZipEntry *> firstChildByName_;
    QHash<QString, ZipEntry *> firstFolderByName_;
};
