#include "cli/EntryListing.h"

#include "archive/ZipEntry.h"

#include <QStringList>

namespace EntryListing {

namespace {

void collect(const ZipEntry &folder, QList<const ZipEntry *> &out) {
    for (const auto &child : folder.childEntries()) {
        out.append(child.get());
        collect(*child, out);
    }
}

} // namespace

QString listPath(const ZipEntry &entry) {
    QStringList names;
    for (const ZipEntry *node = &entry; node && !node->isRootEntry(); node = node->parent())
        names.prepend(node->name());
    QString path = names.join(QLatin1Char('/'));
    if (!entry.isLeaf())
        path += QLatin1Char('/');
    return path;
}

QList<const ZipEntry *> inTreeOrder(const ZipEntry &root) {
    QList<const ZipEntry *> out;
    collect(root, out);
    return out;
}

ZipEntry *find(const ZipEntry &root, const QString &path) {
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (names.isEmpty())
        return nullptr;
    const ZipEntry *folder = &root;
    for (qsizetype i = 0; i + 1 < names.size() && folder; ++i)
        folder = folder->findDirEntryCheckLeaf(names[i]);
    if (!folder)
        return nullptr;
    ZipEntry *namedFolder = folder->findDirEntryCheckLeaf(names.last());
    if (path.endsWith(QLatin1Char('/')))
        return namedFolder;
    for (const auto &child : folder->childEntries()) {
        if (child->isLeaf() && child->name() == names.last())
            return child.get();
    }
    return namedFolder;
}

QJsonObject toJson(const ZipEntry &entry) {
    QJsonObject object;
    object.insert(QStringLiteral("path"), listPath(entry));
    object.insert(QStringLiteral("isDir"), !entry.isLeaf());
    object.insert(QStringLiteral("size"), qint64(entry.uncompressedSize()));
    object.insert(QStringLiteral("compressedSize"), qint64(entry.compressedSize()));
    object.insert(QStringLiteral("crc"), qint64(entry.CRC()));
    object.insert(QStringLiteral("date"), entry.date()
                                              ? QJsonValue(entry.date()->toUTC().toString(
                                                    QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")))
                                              : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("linkTarget"), entry.aliasTargetPath().isNull()
                                                    ? QJsonValue(QJsonValue::Null)
                                                    : QJsonValue(entry.aliasTargetPath()));
    return object;
}

QString toLine(const ZipEntry &entry) {
    const QString date =
        entry.date() ? entry.date()->toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     : QStringLiteral("-");
    return QStringLiteral("%1  %2  %3")
        .arg(entry.uncompressedSize(), 12)
        .arg(date, -19)
        .arg(listPath(entry));
}

} // namespace EntryListing
