#include "app/preview/EntryIconProvider.h"

#include "app/preview/Icons.h"
#include "archive/ArchiveEntry.h"
#include "util/FileKinds.h"

#include <QMimeDatabase>

namespace {

const QString kFolderType = QStringLiteral("inode/directory");

} // namespace

QIcon EntryIconProvider::icon(const IFileEntry &item) {
    const bool inArchive = dynamic_cast<const ArchiveEntry *>(&item) != nullptr;
    const QMimeDatabase types;
    QMimeType type;
    if (!item.isLeaf())
        type = types.mimeTypeForName(kFolderType);
    else if (inArchive)
        type = types.mimeTypeForFile(item.name(), QMimeDatabase::MatchExtension);
    else
        type = types.mimeTypeForFile(item.path());
    return iconForType(type, item.name());
}

QIcon EntryIconProvider::lockEmblem() {
    return Icons::themed("emblem-locked", "lock");
}

QIcon EntryIconProvider::iconForType(const QMimeType &type, const QString &name) {
    const QString kind = kindOf(type, name);
    const QString key = type.name() + QLatin1Char('|') + kind;
    const auto cached = byType_.constFind(key);
    if (cached != byType_.constEnd())
        return *cached;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.name() == kFolderType ? QStringLiteral("folder")
                                                           : type.genericIconName());
    if (icon.isNull())
        icon = Icons::bundled(kind);
    byType_.insert(key, icon);
    return icon;
}

QString EntryIconProvider::kindOf(const QMimeType &type, const QString &name) {
    if (type.name() == kFolderType)
        return QStringLiteral("folder");
    if (FileKinds::isArchive(name))
        return QStringLiteral("archive");
    if (type.name().startsWith(QLatin1String("image/")))
        return QStringLiteral("picture");
    if (type.inherits(QStringLiteral("text/plain")))
        return QStringLiteral("text");
    return QStringLiteral("binary");
}
