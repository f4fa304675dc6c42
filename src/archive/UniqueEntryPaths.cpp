#include "archive/UniqueEntryPaths.h"

QString UniqueEntryPaths::claim(const QString &path) {
    if (!taken_.contains(path)) {
        taken_.insert(path);
        return path;
    }
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden name, not an extension.
    const qsizetype split = dot > nameStart ? dot : path.size();
    for (int number = 2;; ++number) {
        const QString candidate =
            path.left(split) + QLatin1Char(' ') + QString::number(number) + path.mid(split);
        if (!taken_.contains(candidate)) {
            taken_.insert(candidate);
            return candidate;
        }
    }
}
