#include "cli/EntryListing.h"

#include "archive/ArchiveEntry.h"
#include "util/DateUtil.h"

#include <QStringList>

#include <cstdio>

namespace EntryListing {

namespace {

// The folder's children and everything below them; path holds the folder's listed path ("" for
// a root), and each child's is written after it in place: no string is made per entry.
void visitChildren(const ArchiveEntry &folder, QString &path,
                   const std::function<void(const ArchiveEntry &, const QString &)> &visit) {
    const qsizetype prefix = path.size();
    for (const auto &child : folder.children()) {
        // A node with the root's path starts the names again, as a root does.
        if (child->isRoot()) {
            QString fresh;
            visit(*child, fresh);
            visitChildren(*child, fresh, visit);
            continue;
        }
        path.truncate(prefix);
        path += child->nameView();
        if (!child->isLeaf())
            path += QLatin1Char('/');
        visit(*child, path);
        visitChildren(*child, path, visit);
    }
    path.truncate(prefix);
}

} // namespace

void forEachInTreeOrder(const ArchiveEntry &root,
                        const std::function<void(const ArchiveEntry &, const QString &)> &visit) {
    QString path;
    visitChildren(root, path, visit);
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

QByteArray jsonString(QStringView text) {
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (c < 0x20) {
            out += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
        } else if (c < 0x80) {
            out += char(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += text.sliced(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(c)) {
            // A lone half of a pair has no UTF-8 form: it is escaped.
            out += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
        } else {
            out += QStringView(text.sliced(i, 1)).toUtf8();
        }
    }
    out += '"';
    return out;
}

QByteArray toJson(const ArchiveEntry &entry, const QString &path, int indent) {
    const QByteArray outer(indent, ' ');
    const QByteArray inner = outer + "    ";
    const auto msecs = entry.dateMSecs();
    const QByteArray date =
        msecs ? '"' + DateUtil::utcTimestamp(*msecs).toLatin1() + '"' : QByteArray("null");
    const QString target = entry.linkTarget();
    QByteArray out = outer + "{\n";
    out +=
        inner + "\"compressedSize\": " + QByteArray::number(qint64(entry.compressedSize())) + ",\n";
    out += inner + "\"crc\": " + QByteArray::number(entry.CRC()) + ",\n";
    out += inner + "\"date\": " + date + ",\n";
    out += inner + "\"isDir\": " + (entry.isLeaf() ? "false" : "true") + ",\n";
    out += inner +
           "\"linkTarget\": " + (target.isNull() ? QByteArray("null") : jsonString(target)) + ",\n";
    out += inner + "\"path\": " + jsonString(path) + ",\n";
    out += inner + "\"size\": " + QByteArray::number(qint64(entry.uncompressedSize())) + "\n";
    out += outer + "}";
    return out;
}

void appendLine(QByteArray &lines, const ArchiveEntry &entry, const QString &path) {
    const auto msecs = entry.dateMSecs();
    char size[32];
    std::snprintf(size, sizeof size, "%12llu  ",
                  static_cast<unsigned long long>(entry.uncompressedSize()));
    lines += size;
    lines += msecs ? DateUtil::localTimestamp(*msecs).toUtf8().leftJustified(19)
                   : QByteArray("-").leftJustified(19);
    lines += "  ";
    lines += path.toUtf8();
    lines += '\n';
}

} // namespace EntryListing
