#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QString>

class IFileEntry;

// Icons of browser items and of the preview pane: a file on disk gets the desktop's icon for it, an
// archive entry the theme icon of the type its name suggests (cached per type), folders the folder
// icon.
class EntryIconProvider {
public:
    QIcon icon(const IFileEntry &item);

private:
    QIcon iconForName(const QString &name);

    QFileIconProvider provider_;
    QHash<QString, QIcon> byMimeType_;
};
