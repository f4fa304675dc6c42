#include "archive/SafePath.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace SafePath {

QString below(const QString &destination, const QString &path) {
    QString base = destination;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (path == base)
        return QStringLiteral("");
    const QString prefix = base == QLatin1String("/") ? base : base + QLatin1Char('/');
    if (!path.startsWith(prefix))
        return QString();
    return path.mid(prefix.size());
}

// True when every component of the path is a plain name: no empty, "." or ".." component.
static bool isClean(QStringView path) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'/')
            continue;
        const QStringView component = path.sliced(start, i - start);
        if (component.isEmpty() || component == u"." || component == u"..")
            return false;
        start = i + 1;
    }
    return true;
}

QString sanitize(const QString &entryPath) {
    // Nearly every path is clean already: it is kept as it is, without a copy.
    if (isClean(entryPath))
        return entryPath;
    QStringList kept;
    for (const QString &component : entryPath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component == QLatin1String(".") || component == QLatin1String(".."))
            continue;
        kept.append(component);
    }
    return kept.join(QLatin1Char('/'));
}

QString join(const QString &destination, const QString &entryPath) {
    const QString relative = sanitize(entryPath);
    if (relative.isEmpty())
        return destination;
    if (destination.endsWith(QLatin1Char('/')))
        return destination + relative;
    return destination + QLatin1Char('/') + relative;
}

bool makeFolders(const QString &destination, const QString &folder) {
    const QString relative = below(destination, folder);
    if (relative.isNull())
        return false;
    QString current = destination;
    while (current.size() > 1 && current.endsWith(QLatin1Char('/')))
        current.chop(1);
    for (const QString &component : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component == QLatin1String(".") || component == QLatin1String(".."))
            return false;
        current += QLatin1Char('/') + component;
        const QByteArray native = QFile::encodeName(current);
        struct stat st;
        if (::lstat(native.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
            continue;
        }
        if (::mkdir(native.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
    }
    return true;
}

bool prepareFile(const QString &destination, const QString &file) {
    const QString relative = below(destination, file);
    if (relative.isEmpty())
        return false;
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    if (!makeFolders(destination, file.left(slash)))
        return false;
    const QByteArray native = QFile::encodeName(file);
    struct stat st;
    if (::lstat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return false;
        if (S_ISLNK(st.st_mode) && ::unlink(native.constData()) != 0)
            return false;
    }
    return true;
}

} // namespace SafePath
