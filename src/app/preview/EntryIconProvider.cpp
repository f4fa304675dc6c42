#include "app/preview/EntryIconProvider.h"

#include "archive/ArchiveEntry.h"

#include <QFileInfo>
#include <QMimeDatabase>

QIcon EntryIconProvider::icon(const IFileEntry &item) {
    if (!dynamic_cast<const ArchiveEntry *>(&item))
        return provider_.icon(QFileInfo(item.path()));
    if (!item.isLeaf())
        return provider_.icon(QFileIconProvider::Folder);
    return iconForName(item.name());
}

QIcon EntryIconProvider::iconForName(const QString &name) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const auto cached = byMimeType_.constFind(type.name());
    if (cached != byMimeType_.constEnd())
        return *cached;
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull())
        icon = provider_.icon(QFileIconProvider::File);
    byMimeType_.insert(type.name(), icon);
    return icon;
}
