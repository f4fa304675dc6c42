#pragma once

#include "app/preview/EntryIconProvider.h"

#include <QAbstractItemModel>
#include <QHash>

#include <vector>

class IFileEntry;

// The column browser's model over an item tree: archive entries or gathered files, one column,
// the name with the item's icon; encrypted entries say so. Rows can be dragged out (copied). The
// tree belongs to the document; the model only points into it and must be given a new root (or
// none) before the tree changes, except while it grows: then the model reads the folders'
// children only in grow(), and answers from what it took in there.
class EntryBrowserModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // True for an archive entry whose data needs a password.
    static constexpr int EncryptedRole = Qt::UserRole + 1;

    explicit EntryBrowserModel(QObject *parent = nullptr);

    // Shows the tree below the root (its children form the first column), or nothing. A growing
    // tree is read only in grow().
    void setRoot(IFileEntry *root, bool growing = false);
    // Takes in the children added to the folders shown so far, as inserted rows; a folder first
    // shown since the last call gets its rows now. Once the tree has stopped growing, the model
    // reads it directly again.
    void grow(bool stillGrowing);
    IFileEntry *root() const { return root_; }
    // The item at the index; the root for an invalid index.
    IFileEntry *item(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    // Where an item sits, learnt when its index is made: the tree has no parent links for
    // files on disk.
    struct Place {
        IFileEntry *parent;
        int row;
    };

    // The children of a folder: read from the tree, or while it grows what grow() took in.
    qsizetype childCount(const IFileEntry *folder) const;
    IFileEntry *childAt(const IFileEntry *folder, qsizetype row) const;

    IFileEntry *root_ = nullptr;
    mutable QHash<const IFileEntry *, Place> places_;
    // While the tree grows: the rows of each folder asked for, as taken in.
    bool growing_ = false;
    mutable QHash<const IFileEntry *, std::vector<IFileEntry *>> grownRows_;
    mutable EntryIconProvider icons_;
};
