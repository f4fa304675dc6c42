#include "archive/UniqueEntryPaths.h"

#include "archive/ArchiveEntry.h"

bool UniqueEntryPaths::take(const QString &path) {
    if (taken_.contains(path) || (tree_ && tree_->findLeaf(path)))
        return false;
    // With a tree, the entry itself marks the path taken once the caller adds it.
    if (!tree_)
        taken_.insert(path);
    return true;
}

QString UniqueEntryPaths::claim(const QString &path) {
    if (take(path))
        return path;
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden name, not an extension.
    const qsizetype split = dot > nameStart ? dot : path.size();
    for (int number = 2;; ++number) {
        const QString candidate =
            path.left(split) + QLatin1Char(' ') + QString::number(number) + path.mid(split);
        if (take(candidate))
            return candidate;
    }
}
