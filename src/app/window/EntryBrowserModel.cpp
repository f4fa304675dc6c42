#include "app/window/EntryBrowserModel.h"

#include "archive/ArchiveEntry.h"

EntryBrowserModel::EntryBrowserModel(QObject *parent)
    : QAbstractItemModel(parent) {
}

void EntryBrowserModel::setRoot(IFileEntry *root) {
    beginResetModel();
    root_ = root;
    places_.clear();
    endResetModel();
}

IFileEntry *EntryBrowserModel::item(const QModelIndex &index) const {
    return index.isValid() ? static_cast<IFileEntry *>(index.internalPointer()) : root_;
}

QModelIndex EntryBrowserModel::index(int row, int column, const QModelIndex &parent) const {
    IFileEntry *folder = item(parent);
    if (!folder || column != 0 || row < 0 || row >= folder->childCount())
        return {};
    IFileEntry *child = folder->childAt(row);
    places_.insert(child, Place{folder, row});
    return createIndex(row, column, child);
}

QModelIndex EntryBrowserModel::parent(const QModelIndex &child) const {
    if (!child.isValid())
        return {};
    const Place place = places_.value(item(child), Place{nullptr, 0});
    if (!place.parent || place.parent == root_)
        return {};
    const Place above = places_.value(place.parent, Place{nullptr, 0});
    return createIndex(above.row, 0, place.parent);
}

int EntryBrowserModel::rowCount(const QModelIndex &parent) const {
    const IFileEntry *folder = item(parent);
    if (!folder || parent.column() > 0)
        return 0;
    return int(folder->childCount());
}

int EntryBrowserModel::columnCount(const QModelIndex &) const {
    return 1;
}

bool EntryBrowserModel::hasChildren(const QModelIndex &parent) const {
    const IFileEntry *folder = item(parent);
    return folder && (!parent.isValid() || !folder->isLeaf());
}

QVariant EntryBrowserModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const IFileEntry *entry = item(index);
    const auto *archived = dynamic_cast<const ArchiveEntry *>(entry);
    const bool encrypted = archived && archived->isEncrypted();
    switch (role) {
    case Qt::DisplayRole:
        return entry->name();
    case Qt::ToolTipRole:
        return encrypted ? tr("%1 (encrypted)").arg(entry->name()) : entry->name();
    case Qt::DecorationRole:
        return icons_.icon(*entry);
    case EncryptedRole:
        return encrypted;
    default:
        return {};
    }
}

Qt::ItemFlags EntryBrowserModel::flags(const QModelIndex &index) const {
    return QAbstractItemModel::flags(index) |
           (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}
