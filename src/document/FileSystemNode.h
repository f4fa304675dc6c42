#pragma once

#include "archive/IFileEntry.h"

#include <QList>
#include <QMutex>
#include <QString>

#include <memory>
#include <optional>

// A file or folder on disk, browsable like an archive entry. A folder lists its contents lazily
// and caches them; the document's top node ("/") holds only the items the user gathered.
class FileSystemNode : public IFileEntry {
public:
    using Ptr = std::shared_ptr<FileSystemNode>;
    using List = QList<Ptr>;

    explicit FileSystemNode(const QString &path);
    static Ptr create(const QString &path) { return std::make_shared<FileSystemNode>(path); }

    QString URL() const { return path_; }
    QString displayName() const { return name(); }
    bool isRoot() const { return path_ == QLatin1String("/"); }
    bool isDirectory() const;

    // The contents: for the top node the gathered items (empty until something is added), for a
    // folder its entries read from disk once and cached until invalidated.
    List children();
    // True when the list holds the node itself or a node of the same name, ignoring case.
    static bool contains(const FileSystemNode &node, const List &items);
    bool addChildren(const List &nodes);
    bool removeItems(const List &nodes);
    void invalidateChildren();
    void clear();
    bool operator==(const FileSystemNode &other) const { return path_ == other.path_; }

    // IFileEntry
    QString name() const override;
    QString path() const override { return path_; }
    QString modifiedString() const override;
    QString filesizeString() const override;
    QString createdString() const override;
    QString compressedString() const override { return QStringLiteral(""); }
    quint64 size() const override;
    bool isLeaf() const override { return !isDirectory(); }
    qsizetype childCount() const override;
    IFileEntry *childAt(qsizetype index) const override;

private:
    List readChildren() const;

    QString path_;
    std::optional<List> children_;
    bool childrenDirty_ = false;
    mutable QMutex lock_;
};
