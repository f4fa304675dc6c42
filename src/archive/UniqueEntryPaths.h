#pragma once

#include <QSet>
#include <QString>

// Gives every file entry of an archive a path of its own. An archive may hold several entries
// of one name; the later ones take the first free "name 2.ext", "name 3.ext"... beside it.
// Listing and extraction walk the entries in the same order, so both give the same paths.
class UniqueEntryPaths {
public:
    // The file entry's path, or the free one it gets when the path is taken already.
    QString claim(const QString &path);

private:
    QSet<QString> taken_;
};
