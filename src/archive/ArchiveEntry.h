#pragma once

#include "archive/EntryDate.h"
#include "archive/IFileEntry.h"

#include <QDateTime>
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
    EntryDate date;
    bool encrypted = false; // the entry's data needs a password
};

class ChildIndex;
class EntryTreeWatcher;

// One node of an archive's entry tree. Folders own their children; the tree creates missing
// intermediate folders itself, drops duplicate names and keeps per-folder totals. A node keeps
// its own name only: archives of a million entries keep their tree in a few hundred bytes per
// entry.
class ArchiveEntry : public IFileEntry {
public:
    using Fields = EntryFields;
    using Children = std::vector<std::unique_ptr<ArchiveEntry>>;

    // A folder path ends in "/"; everything else is a leaf.
    explicit ArchiveEntry(const QString &path, const Fields &fields = {},
                          ArchiveEntry *parent = nullptr);
    ~ArchiveEntry() override;
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
    ArchiveEntry *findChildFolder(QStringView name) const;
    // The first child leaf with exactly that name.
    ArchiveEntry *findChildLeaf(QStringView name) const;
    // The leaf a relative path names, following the folders as addToRoot does; null when none.
    ArchiveEntry *findLeaf(QStringView path) const;
    // Empties the folder; a root keeps its watcher and tells it first.
    void clear();
    // A root's watcher (none: nobody is told), told of every addToRoot and clear.
    void setWatcher(EntryTreeWatcher *watcher);
    static quint64 totalSizes(const QList<ArchiveEntry *> &entries);

    bool isRoot() const;
    const Children &children() const;
    EntryLocation location() const { return location_; }
    QString displayName() const { return name_; }
    QStringView nameView() const { return name_; }
    // Localized, case-insensitive order of the names.
    int compare(const ArchiveEntry &other) const;
    QString description() const;

    // The parent folder's path: the path without its last component ("/" for the root).
    QString leadingPath() const;
    QString linkTarget() const;
    quint32 permission() const { return permission_; }
    quint32 CRC() const { return CRC_; }
    quint64 compressedSize() const { return compressedSize_; }
    quint64 uncompressedSize() const { return uncompressedSize_; }
    quint16 compressionType() const { return compressionType_; }
    std::optional<QDateTime> date() const { return date_.toDateTime(); }
    // The date as milliseconds since 1970 UTC, for listings that format many dates.
    std::optional<qint64> dateMSecs() const { return date_.msecs(); }
    bool isEncrypted() const { return encrypted_; }
    quint64 totalSize() const;
    quint64 compressedTotalSize() const;
    qint64 descendantCount() const;
    ArchiveEntry *parent() const { return parent_; }

    // IFileEntry
    QString name() const override { return name_; }
    QString path() const override;
    QString modifiedString() const override;
    QString filesizeString() const override;
    QString createdString() const override { return modifiedString(); }
    QString compressedString() const override;
    quint64 size() const override { return uncompressedSize_; }
    bool isLeaf() const override { return isLeaf_; }
    qsizetype childCount() const override { return qsizetype(children().size()); }
    IFileEntry *childAt(qsizetype index) const override {
        return children().at(size_t(index)).get();
    }

private:
    // How path() finds the path: kept as given, joined from the names above (a path that is
    // just that), or built like a folder made for the paths below it.
    enum class PathKind : quint8 { Kept, Joined, Made };
    struct Folder;
    // What few entries have: a path that differs from the names above, a link target.
    struct Rare {
        QString path;
        QString linkTarget;
    };

    // A folder no entry of the archive names, only the paths below it.
    ArchiveEntry(const QString &name, ArchiveEntry *parent);
    // Takes the child in, without counting it in the folders above.
    ArchiveEntry *attach(std::unique_ptr<ArchiveEntry> child);
    // Counts the added node in every folder above it, and the folders made for it from
    // firstMade down in every folder above each of them.
    static void countAdded(const ArchiveEntry &added, const ArchiveEntry *firstMade);
    QString keptPath() const { return rare_ ? rare_->path : QString(); }
    QString joinedPath() const;
    QString madePath() const;
    Rare &rare();

    QString name_;
    ArchiveEntry *parent_;
    std::unique_ptr<Folder> folder_; // null for leaves
    std::unique_ptr<Rare> rare_;
    EntryLocation location_;
    quint64 compressedSize_;
    quint64 uncompressedSize_;
    EntryDate date_;
    quint32 CRC_;
    quint32 permission_;
    quint16 compressionType_;
    PathKind pathKind_;
    bool encrypted_;
    bool isLeaf_;
};
