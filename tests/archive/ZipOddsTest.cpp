#include "ZipFixtures.h"

#include <gtest/gtest.h>

using namespace ZipFixtures;

namespace {

// Every node below the root as its path, links with " -> target".
std::vector<std::string> shown(const ArchiveEntry *node) {
    std::vector<std::string> lines;
    for (const auto &child : node->children()) {
        // Folders the tree made itself start with "/".
        std::string line = text(child->path().mid(child->path().startsWith('/') ? 1 : 0));
        if (!child->linkTarget().isNull())
            line += " -> " + text(child->linkTarget());
        lines.push_back(line);
        for (const std::string &below : shown(child.get()))
            lines.push_back(below);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct OddCase {
    const char *label;
    // A python script (with the fixtures' add()) or, starting with "$ ", a shell command that
    // makes t.zip.
    const char *maker;
    std::vector<std::string> listed;
    Tree extracted;
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
        ASSERT_TRUE(maker.startsWith("$ ") ? runIn(dir, maker.mid(2)) : runPython(dir, maker));
        OpenedZip opened(dir.file("t.zip"));
        const Tree extracted = opened.extractAll(dir);
        EXPECT_EQ(shown(opened.root.get()), row.listed);
        EXPECT_EQ(extracted, row.extracted);
        EXPECT_TRUE(opened.message().contains(QString::fromLatin1(row.error)))
            << opened.message().toStdString();
        EXPECT_EQ(opened.code() == 0, *row.error == '\0');
    }
}

} // namespace
