#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

class IFileEntry;
class QMimeType;

// Icons of browser items and of the preview pane by the item's type: the theme's icon of its MIME
// type or of the type's kind, else a bundled icon for folders, text, pictures, archives and any
// other file. An archive entry's type comes from its name, a file's on disk from its contents
// too. Cached per type.
class EntryIconProvider {
public:
    QIcon icon(const IFileEntry &item);
    // Drawn over the icon of an encrypted entry.
    static QIcon lockEmblem();

private:
    QIcon iconForType(const QMimeType &type, const QString &name);
    // The bundled icon's name for the type.
    static QString kindOf(const QMimeType &type, const QString &name);

    QHash<QString, QIcon> byType_;
};
