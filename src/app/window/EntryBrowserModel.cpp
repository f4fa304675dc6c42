#include "app/window/EntryBrowserModel.h"

#include "archive/ArchiveEntry.h"

EntryBrowserModel::EntryBrowserModel(QObject *parent)
    : QAbstractItemModel(parent) {
}

void EntryBrowserModel::setRoot(IFileEntry *root, bool growing) {
    beginResetModel();
    root_ = root;
    places_.clear();
    growing_ = growing;
    grownRows_.clear();
    endResetModel();
}

void EntryBrowserModel::grow(bool stillGrowing) {
    if (!growing_)
        return;
    // The views ask for rows while rows go in, which may add folders: the list is taken first.
    const QList<const IFileEntry *> folders = grownRows_.keys();
    for (const IFileEntry *folder : folders) {
        const qsizetype shown = qsizetype(grownRows_.constFind(folder)->size());
        const qsizetype count = folder->childCount();
        if (count <= shown)
            continue;
        // A folder's children are only ever added at its end while the tree grows.
        auto *tree = const_cast<IFileEntry *>(folder);
        const QModelIndex parent =
            folder == root_ ? QModelIndex() : createIndex(places_.value(folder).row, 0, tree);
        beginInsertRows(parent, int(shown), int(count - 1));
        std::vector<IFileEntry *> &rows = grownRows_[folder];
        for (qsizetype row = shown; row < count; ++row)
            rows.push_back(tree->childAt(row));
        endInsertRows();
    }
    if (!stillGrowing) {
        // The rows taken in are the tree's now: it is read directly from here on.
        growing_ = false;
        grownRows_.clear();
    }
}

qsizetype EntryBrowserModel::childCount(const IFileEntry *folder) const {
    if (!growing_)
        return folder->childCount();
    if (folder->isLeaf())
        return 0;
    // A folder not asked for before has no rows until the next hand-over.
    return qsizetype(grownRows_[folder].size());
}

IFileEntry *EntryBrowserModel::childAt(const IFileEntry *folder, qsizetype row) const {
    return growing_ ? grownRows_[folder][size_t(row)] : folder->childAt(row);
}

IFileEntry *EntryBrowserModel::item(const QModelIndex &index) const {
    return index.isValid() ? static_cast<IFileEntry *>(index.internalPointer()) : root_;
}

QModelIndex EntryBrowserModel::index(int row, int column, const QModelIndex &parent) const {
    IFileEntry *folder = item(parent);
    if (!folder || column != 0 || row < 0 || row >= childCount(folder))
        return {};
    IFileEntry *child = childAt(folder, row);
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
    return int(childCount(folder));
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
