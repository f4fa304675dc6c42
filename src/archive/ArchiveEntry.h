#pragma once

#include "archive/IFileEntry.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// Where a reader finds an entry again; formats use the fields they need.
struct EntryLocation {
    // Zip: the entry's record in the central directory. Tar: the entry's first record (a hard
    // link's: its file's), where reading gives the whole entry again.
    quint64 offset = 0;
    // Zip and 7z: the entry's number in archive order.
    quint64 index = 0;
};

// What a reader knows of one entry besides its path; formats leave what they lack at zero.
struct EntryFields {
    EntryLocation location;
    quint32 CRC = 0;
    // Unix permission bits as the archive stores them; 0 when it stores none.
    quint32 permission = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
    quint16 compressionType = 0;
    QString linkTarget; // null when the entry is not a symbolic link
    std::optional<QDateTime> date;
    bool encrypted = false; // the entry's data needs a password
};

// One node of an archive's entry tree. Folders own their children; the tree creates missing
// intermediate folders itself, drops duplicate names and keeps per-folder totals.
class ArchiveEntry : public IFileEntry {
public:
    using Fields = EntryFields;

    // A folder path ends in "/"; everything else is a leaf.
    explicit ArchiveEntry(const QString &path, const Fields &fields = {},
                          ArchiveEntry *parent = nullptr);
    static std::unique_ptr<ArchiveEntry> rootEntry();

    ArchiveEntry(const ArchiveEntry &) = delete;
    ArchiveEntry &operator=(const ArchiveEntry &) = delete;

    // Places this node under the root along its leading path, creating missing folders. The root
    // takes ownership when the node is added; answers false (and the node is dropped) otherwise.
    // Costs the length of the path, however deep it goes.
    static bool addToRoot(std::unique_ptr<ArchiveEntry> entry, ArchiveEntry *root);
    bool addChild(std::unique_ptr<ArchiveEntry> child, bool checkIfExists = false);
    // The first child with the entry's name; a child without a date or permission takes the
    // entry's.
    ArchiveEntry *findChild(const ArchiveEntry &entry);
    // The first child folder with exactly that name.
    ArchiveEntry *findChildFolder(const QString &name) const;
    void clear();
    static quint64 totalSizes(const QList<ArchiveEntry *> &entries);

    bool isRoot() const { return path_ == QLatin1String("/"); }
    const std::vector<std::unique_ptr<ArchiveEntry>> &children() const { return children_; }
    EntryLocation location() const { return fields_.location; }
    QString displayName() const { return name_; }
    // Localized, case-insensitive order of the names.
    int compare(const ArchiveEntry &other) const;
    QString description() const;

    // The parent folder's path: the path without its last component ("/" for the root).
    QString leadingPath() const;
    QString linkTarget() const { return fields_.linkTarget; }
    quint32 permission() const { return fields_.permission; }
    quint32 CRC() const { return fields_.CRC; }
    quint64 compressedSize() const { return fields_.compressedSize; }
    quint64 uncompressedSize() const { return fields_.uncompressedSize; }
    quint16 compressionType() const { return fields_.compressionType; }
    const std::optional<QDateTime> &date() const { return fields_.date; }
    bool isEncrypted() const { return fields_.encrypted; }
    quint64 totalSize() const { return totalSize_; }
    quint64 compressedTotalSize() const { return compressedTotalSize_; }
    qint64 descendantCount() const { return descendantCount_; }
    ArchiveEntry *parent() const { return parent_; }

    // IFileEntry
    QString name() const override { return name_; }
    QString path() const override;
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
    // A folder no entry of the archive names, only the paths below it.
    ArchiveEntry(const QString &name, ArchiveEntry *parent);
    // Takes the child in, without counting it in the folders above.
    ArchiveEntry *attach(std::unique_ptr<ArchiveEntry> child);
    // Counts the added node in every folder above it, and the folders made for it from
    // firstMade down in every folder above each of them.
    static void countAdded(const ArchiveEntry &added, const ArchiveEntry *firstMade);

    QString name_;
    // Null for a folder made for the paths below it: its path is built from its parents', as
    // storing it in each of thousands of nested folders would cost the square of the depth.
    QString path_;
    bool isLeaf_;
    Fields fields_;
    quint64 totalSize_ = 0;
    quint64 compressedTotalSize_ = 0;
    qint64 descendantCount_ = 0;
    ArchiveEntry *parent_;
    std::vector<std::unique_ptr<ArchiveEntry>> children_;
    // First child of each name, and first child folder of each name: lookups stay constant-time
    // on folders with many thousands of children.
    QHash<QString, ArchiveEntry *> firstChildByName_;
    QHash<QString, ArchiveEntry *> firstFolderByName_;
};
