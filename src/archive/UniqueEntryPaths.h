#pragma once

#include <QSet>
#include <QString>

class ArchiveEntry;

// Gives every file entry of an archive a path of its own. An archive may hold several entries
// of one name; the later ones take the first free "name 2.ext", "name 3.ext"... beside it.
// Listing and extraction walk the entries in the same order, so both give the same paths.
class UniqueEntryPaths {
public:
    // Remembers every claimed path.
    UniqueEntryPaths() = default;
    // Takes the leaves of the tree for claimed paths, so that a listing keeps no second copy of
    // every path; a claimed path the tree does not take in is to be kept.
    explicit UniqueEntryPaths(const ArchiveEntry *tree)
        : tree_(tree) {}

    // The file entry's path, or the free one it gets when the path is taken already.
    QString claim(const QString &path);
    // Remembers a claimed path that the tree did not take in.
    void keep(const QString &path) { taken_.insert(path); }

private:
    // Takes the path when it is free.
    bool take(const QString &path);

    const ArchiveEntry *tree_ = nullptr;
    QSet<QString> taken_;
};
