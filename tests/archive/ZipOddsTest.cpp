#include "archive/ZipReader.h"
#include "support/ArchiveKit.h"

#include <gtest/gtest.h>

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
        {"a local header that is none, the entry read before it kept",
         "z = zipfile.ZipFile('t.zip', 'w')\nadd(z, 'a.txt', b'a')\nadd(z, 'b.txt', b'b')\n"
         "z.close()\nd = bytearray(open('t.zip', 'rb').read())\nat = d.find(b'PK\\3\\4', 4)\n"
         "d[at:at + 4] = b'XXXX'\nopen('t.zip', 'wb').write(d)",
         {"a.txt", "b.txt"},
         {{"a.txt", "a"}},
         "Archive issues"},
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
                ? runShellIn(dir.path(), maker.mid(2))
                : runPython("import zipfile\nfrom archive_maker import add\n" + maker, dir.path()),
            0);
        Opened<ZipReader> opened(dir.file("t.zip"));
        opened.list();
        EXPECT_EQ(shown(opened.root.get()), row.listed);
        const QString out = dir.file("out");
        QDir().mkpath(out);
        opened.reader->extract(out);
        EXPECT_EQ(contentsBelow(out), row.extracted);
        const QString message =
            opened.reader->archiveError() ? opened.reader->archiveError()->message : QString();
        EXPECT_TRUE(message.contains(QString::fromLatin1(row.error))) << message.toStdString();
        EXPECT_EQ(opened.code() == 0, *row.error == '\0');
    }
}

} // namespace
