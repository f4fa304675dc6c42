#include "app/preview/EntryIconProvider.h"

#include "archive/ArchiveEntry.h"

#include <QFileInfo>
#include <QMimeDatabase>

QIcon EntryIconProvider::icon(const IFileEntry &item) {
    if (!dynamic_cast<const ArchiveEntry *>(&item))
        return provider.icon(QFileInfo(item.path()));
    if (!item.isLeaf())
        return provider.icon(QFileIconProvider::Folder);
    return iconForName(item.name());
}

QIcon EntryIconProvider::iconForName(const QString &name) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const auto cached = byMimeType.constFind(type.name());
    if (cached != byMimeType.constEnd())
        return *cached;
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull())
        icon = provider.icon(QFileIconProvider::File);
    byMimeType.insert(type.name(), icon);
    return icon;
}
