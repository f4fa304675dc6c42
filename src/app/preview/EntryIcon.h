#pragma once

#include <QIcon>

class IFileEntry;

// The desktop's icon for an item: a file on disk by its own type, an archive entry by its name's
// type, a folder as a folder; never a null icon.
class EntryIcon {
public:
    static QIcon icon(const IFileEntry &item);
};
