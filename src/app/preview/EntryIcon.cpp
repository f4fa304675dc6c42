#include "app/preview/EntryIcon.h"

#include "archive/ZipEntry.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

QIcon EntryIcon::icon(const IFileEntry &item) {
    QFileIconProvider provider;
    if (!dynamic_cast<const ZipEntry *>(&item))
        return provider.icon(QFileInfo(item.path()));
    if (!item.isLeaf())
        return provider.icon(QFileIconProvider::Folder);
    // The entry is not on disk: its name's extension is all there is to go by.
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(item.name(), QMimeDatabase::MatchExtension);
    const QIcon themed =
        QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    return themed.isNull() ? provider.icon(QFileIconProvider::File) : themed;
}
