#include "util/FileTree.h"

#include "util/PathUtil.h"

#include <QDir>
#include <QFileInfo>

namespace FileTree {

QStringList contentsOfFolder(const QString &folder, bool skipsHidden) {
    // System brings in dangling links, pipes and sockets, which are items of the folder too.
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System;
    if (!skipsHidden)
        filters |= QDir::Hidden;
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList(filters, QDir::Unsorted))
        paths.append(dir.filePath(name));
    return paths;
}

QString resolveSymlinks(const QString &path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isHiddenPath(const QString &path) {
    return PathUtil::fileName(path).startsWith(QLatin1Char('.'));
}

} // namespace FileTree
