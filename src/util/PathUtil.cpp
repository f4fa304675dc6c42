#include "util/PathUtil.h"

#include "util/StringUtil.h"

#include <QStringList>

namespace PathUtil {

namespace {
const QString kSlash = QStringLiteral("/");
} // namespace

QString fileName(const QString &path) {
    if (path.isEmpty())
        return QStringLiteral("");
    const QString trimmed = StringUtil::trimRight(path, kSlash);
    if (trimmed.isEmpty())
        return kSlash;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString extension(const QString &path) {
    const QString name = fileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return QStringLiteral("");
    return name.mid(dot + 1);
}

QString baseName(const QString &path) {
    QString name = fileName(path);
    const QString suffix = extension(path);
    if (suffix.isEmpty())
        return name;
    return name.left(name.size() - suffix.size() - 1);
}

QString parentFolder(const QString &path) {
    if (path.isEmpty())
        return QStringLiteral("");
    const QString trimmed = StringUtil::trimRight(path, kSlash);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral("");
    if (slash == 0)
        return kSlash;
    return trimmed.left(slash);
}

QString relativePath(const QString &path, const QString &base) {
    if (path.isNull())
        return QStringLiteral("");
    const QStringList pathParts = (kSlash + StringUtil::trim(path, kSlash)).split(QLatin1Char('/'));
    QStringList baseParts = (kSlash + StringUtil::trim(base, kSlash)).split(QLatin1Char('/'));
    // "/" alone is the single empty component.
    if (baseParts.size() == 2 && baseParts.last().isEmpty())
        baseParts.removeLast();
    if (pathParts.size() <= baseParts.size())
        return QStringLiteral("");
    for (qsizetype i = 0; i < baseParts.size(); ++i) {
        if (pathParts[i] != baseParts[i])
            return QStringLiteral("");
    }
    QString result;
    for (qsizetype i = baseParts.size(); i < pathParts.size(); ++i)
        result += kSlash + pathParts[i];
    return result;
}

bool isInside(const QString &path, const QString &folder) {
    const QString inner = StringUtil::trimRight(path, kSlash);
    const QString outer = StringUtil::trimRight(folder, kSlash);
    return inner == outer || inner.startsWith(outer + kSlash);
}

} // namespace PathUtil
