#include "ZipTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kInspector = R"PY(
import json, sys, zipfile
with_data = sys.argv[2] == "1"
out = {"valid": False, "entries": []}
with zipfile.ZipFile(sys.argv[1]) as z:
    out["valid"] = (z.testzip() is None) if with_data else True
    for i in z.infolist():
        mode = i.external_attr >> 16
        data = z.read(i) if with_data else b""
        is_link = (mode & 0o170000) == 0o120000
        out["entries"].append({
            "name": i.filename, "mode": mode, "flags": i.flag_bits,
            "system": i.create_system, "method": i.compress_type, "size": i.file_size,
            "link": data.decode("utf-8") if is_link else "",
            "date": list(i.date_time)})
print(json.dumps(out))
)PY";

QString sha256(const QByteArray &bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void walk(const QString &root, const QString &relative, QMap<QString, QString> *items,
          QMap<QString, int> *modes) {
    const QDir dir(relative.isEmpty() ? root : root + QLatin1Char('/') + relative);
    const auto names =
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QString rel = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
        const QString full = root + QLatin1Char('/') + rel;
        struct stat st;
        if (::lstat(QFile::encodeName(full).constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            QByteArray target(4096, '\0');
            const ssize_t length =
                ::readlink(QFile::encodeName(full).constData(), target.data(), target.size());
            if (items)
                items->insert(rel,
                              QStringLiteral("link:") + QString::fromUtf8(target.left(length)));
            continue;
        }
        if (modes)
            modes->insert(rel, int(st.st_mode & 07777));
        if (S_ISDIR(st.st_mode)) {
            if (items)
                items->insert(rel, QStringLiteral("dir"));
            walk(root, rel, items, modes);
            continue;
        }
        QFile file(full);
        if (items && file.open(QIODevice::ReadOnly))
            items->insert(rel, QStringLiteral("file:") + sha256(file.readAll()));
    }
}

} // namespace

ZipListing inspectZip(const QString &archive, bool withData) {
    // The system interpreter starts faster than a version manager's shim.
    static const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                                      ? QStringLiteral("/usr/bin/python3")
                                      : QStringLiteral("python3");
    const ToolResult result = runTool(python, {QStringLiteral("-c"), QString::fromUtf8(kInspector),
                                               archive, withData ? "1" : "0"});
    ZipListing listing;
    if (result.exitCode != 0)
        return listing;
    const QJsonObject root = QJsonDocument::fromJson(result.output.toUtf8()).object();
    listing.valid = root.value("valid").toBool();
    for (const QJsonValue &value : root.value("entries").toArray()) {
        const QJsonObject entry = value.toObject();
        ZipItem item;
        item.name = entry.value("name").toString();
        item.mode = quint32(entry.value("mode").toInteger());
        item.flags = entry.value("flags").toInt();
        item.system = entry.value("system").toInt();
        item.method = entry.value("method").toInt();
        item.size = quint64(entry.value("size").toInteger());
        item.linkTarget = entry.value("link").toString();
        const QJsonArray d = entry.value("date").toArray();
        item.date = QDateTime(QDate(d[0].toInt(), d[1].toInt(), d[2].toInt()),
                              QTime(d[3].toInt(), d[4].toInt(), d[5].toInt()));
        listing.items.append(item);
    }
    return listing;
}

QStringList namesOf(const ZipListing &listing) {
    QStringList names;
    for (const ZipItem &item : listing.items)
        names.append(item.name);
    return names;
}

QMap<QString, QString> snapshot(const QString &root) {
    QMap<QString, QString> items;
    walk(root, QString(), &items, nullptr);
    return items;
}

QMap<QString, int> modesBelow(const QString &root) {
    QMap<QString, int> modes;
    walk(root, QString(), nullptr, &modes);
    return modes;
}

QByteArray pseudoRandomBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed ? seed : 1;
    for (qsizetype i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = char(state & 0xFF);
    }
    return bytes;
}

QString makeSampleTree(const QString &parent) {
    const QString root = parent + QStringLiteral("/Photos");
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        const QString path = root + QLatin1Char('/') + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    };
    write(QStringLiteral("x.txt"), "hello");
    write(QStringLiteral(".DS_Store"), "junk");
    write(QStringLiteral("sub/data.bin"), pseudoRandomBytes(300000, 7));
    ::chmod(
        QFile::encodeName(write(QStringLiteral("sub/run.sh"), "#!/bin/sh\necho hi\n")).constData(),
        0755);
    write(QStringLiteral("Grüße/日本語.txt"), "unicode");
    write(QStringLiteral(".git/config"), "[core]");
    QDir().mkpath(root + QStringLiteral("/empty"));
    ::symlink("x.txt", QFile::encodeName(root + QStringLiteral("/ln")).constData());
    ::symlink("missing.txt", QFile::encodeName(root + QStringLiteral("/dangling")).constData());
    return root;
}
