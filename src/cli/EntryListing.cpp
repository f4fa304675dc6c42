#include "cli/EntryListing.h"

#include "archive/ArchiveEntry.h"
#include "util/DateUtil.h"

#include <QStringList>

namespace EntryListing {

namespace {

// The folder's children and everything below them; prefix is the folder's listed path ("" for a
// root). Paths grow by one name per level instead of being rebuilt from every entry's parents.
void visitChildren(const ArchiveEntry &folder, const QString &prefix,
                   const std::function<void(const ArchiveEntry &, const QString &)> &visit) {
    for (const auto &child : folder.children()) {
        // A node with the root's path starts the names again, as a root does.
        const QString path = child->isRoot() ? QString() : prefix + child->name();
        const QString listed = child->isLeaf() ? path : path + QLatin1Char('/');
        visit(*child, listed);
        visitChildren(*child, child->isRoot() ? QString() : listed, visit);
    }
}

} // namespace

void forEachInTreeOrder(const ArchiveEntry &root,
                        const std::function<void(const ArchiveEntry &, const QString &)> &visit) {
    visitChildren(root, QString(), visit);
}

ArchiveEntry *find(const ArchiveEntry &root, const QString &path) {
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (names.isEmpty())
        return nullptr;
    const ArchiveEntry *folder = &root;
    for (qsizetype i = 0; i + 1 < names.size() && folder; ++i)
        folder = folder->findChildFolder(names[i]);
    if (!folder)
        return nullptr;
    ArchiveEntry *namedFolder = folder->findChildFolder(names.last());
    if (path.endsWith(QLatin1Char('/')))
        return namedFolder;
    for (const auto &child : folder->children()) {
        if (child->isLeaf() && child->name() == names.last())
            return child.get();
    }
    return namedFolder;
}

QJsonObject toJson(const ArchiveEntry &entry, const QString &path) {
    QJsonObject object;
    object.insert(QStringLiteral("path"), path);
    object.insert(QStringLiteral("isDir"), !entry.isLeaf());
    object.insert(QStringLiteral("size"), qint64(entry.uncompressedSize()));
    object.insert(QStringLiteral("compressedSize"), qint64(entry.compressedSize()));
    object.insert(QStringLiteral("crc"), qint64(entry.CRC()));
    object.insert(QStringLiteral("date"), entry.date()
                                              ? QJsonValue(entry.date()->toUTC().toString(
                                                    QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")))
                                              : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("linkTarget"), entry.linkTarget().isNull()
                                                    ? QJsonValue(QJsonValue::Null)
                                                    : QJsonValue(entry.linkTarget()));
    return object;
}

QString toLine(const ArchiveEntry &entry, const QString &path) {
    const QString date =
        entry.date() ? DateUtil::localTimestamp(*entry.date()) : QStringLiteral("-");
    return QStringLiteral("%1  %2  %3").arg(entry.uncompressedSize(), 12).arg(date, -19).arg(path);
}

} // namespace EntryListing
