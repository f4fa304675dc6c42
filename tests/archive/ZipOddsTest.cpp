#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace ArchiveKit;

// Every node below the root as its path, links with " -> target".
QStringList shown(const ArchiveEntry *node) {
    QStringList lines;
    for (const auto &child : node->children()) {
        // Folders the tree made itself start with "/".
        QString line = child->path().mid(child->path().startsWith('/') ? 1 : 0);
        if (!child->linkTarget().isNull())
            line += " -> " + child->linkTarget();
        lines.append(line);
        lines.append(shown(child.get()));
    }
    lines.sort();
    return lines;
}

// Every item below the folder: a file's content, "-> target" for a link, "" for a folder.
QMap<QString, QByteArray> treeOf(const QString &folder) {
    QMap<QString, QByteArray> tree;
    for (const QString &path : filesBelow(folder)) {
        const QByteArray native = QFile::encodeName(folder + '/' + path);
        char target[4096];
        const ssize_t length = ::readlink(native.constData(), target, sizeof target);
        tree[path] = length >= 0                              ? "-> " + QByteArray(target, length)
                     : QFileInfo(folder + '/' + path).isDir() ? QByteArray()
                                                              : readFile(folder + '/' + path);
    }
    return tree;
}

struct OddCase {
    const char *label;
    // A python script (with the fixtures' add()) or, starting with "$ ", a shell command that
    // makes t.zip.
    const char *maker;
    QStringList listed;
    QMap<QString, QByteArray> extracted;
    // Part of the error message; empty when none is expected.
    const char *error = "";
};

TEST(ZipOdds, ListAndExtractAsOtherToolsDo) {
    const OddCase cases[] = {
        {"empty archive", "zipfile.ZipFile('t.zip', 'w').close()", {}, {}},
        {"duplicate names, the later under a free name",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, 'd/a.txt', b'first')\n"
         "add(z, 'd/a.txt', b'second')\nadd(z, 'd/.rc', b'one')\nadd(z, 'd/.rc', b'two')\n"
         "z.close()",
         {"d/", "d/.rc", "d/.rc 2", "d/a 2.txt", "d/a.txt"},
         {{"d/", ""},
          {"d/.rc", "one"},
          {"d/.rc 2", "two"},
          {"d/a.txt", "first"},
          {"d/a 2.txt", "second"}}},
        {"link made by zip -y",
         "$ echo x > target && ln -s target link && zip -q -y t.zip target link",
         {"link -> target", "target"},
         {{"link", "-> target"}, {"target", "x\n"}}},
        {"paths shown as extraction writes them",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, '../up.txt', b'u')\n"
         "add(z, '/abs/./x.txt', b'x')\nadd(z, '../', b'')\nz.close()",
         {"abs/", "abs/x.txt", "up.txt"},
         {{"abs/", ""}, {"abs/x.txt", "x"}, {"up.txt", "u"}}},
        {"split archive",
         "$ head -c 200000 /dev/urandom > r.bin && zip -q -s 64k t.zip r.bin",
         {},
         {},
         "join them with zip -s 0"},
        {"first segment of a split archive",
         "$ head -c 200000 /dev/urandom > r.bin && zip -q -s 64k s.zip r.bin && mv s.z01 t.zip",
         {},
         {},
         "join them with zip -s 0"},
    };
    for (const OddCase &row : cases) {
        SCOPED_TRACE(row.label);
        ScratchDir dir;
        const QString maker = QString::fromLatin1(row.maker);
        ASSERT_EQ(
            maker.startsWith("$ ")
                ? runShell(QStringLiteral("cd %1 && %2").arg(shellQuote(dir.path()), maker.mid(2)))
                : runPython("import zipfile\nfrom archive_maker import add\n" + maker, dir.path()),
            0);
        Opened<ZipReader> opened(dir.file("t.zip"));
        opened.list();
        EXPECT_EQ(shown(opened.root.get()), row.listed);
        const QString out = dir.file("out");
        QDir().mkpath(out);
        opened.reader->extract(out);
        EXPECT_EQ(treeOf(out), row.extracted);
        const QString message =
            opened.reader->archiveError() ? opened.reader->archiveError()->message : QString();
        EXPECT_TRUE(message.contains(QString::fromLatin1(row.error))) << message.toStdString();
        EXPECT_EQ(opened.code() == 0, *row.error == '\0');
    }
}

} // namespace
