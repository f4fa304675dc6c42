#include "ZipFixtures.h"

#include "archive/ArchiveEntry.h"
#include "encoding/StringEncoding.h"
#include "util/FileAttributes.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sys/stat.h>

using namespace ZipFixtures;

namespace {

QByteArray noise(qsizetype size, unsigned seed) {
    std::mt19937 generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator());
    return bytes;
}

// Text, data that does not compress, an empty file and nested folders.
void writeSource(const ScratchDir &dir) {
    dir.write("src/a.txt", "alpha\n");
    dir.write("src/empty.txt", "");
    dir.write("src/sub/b.bin", noise(300000, 1));
    dir.write("src/sub/deeper/c.txt", QByteArray(50000, 'c'));
}

// The tree a folder named prefix holding the source has.
Tree under(const std::string &prefix, const Tree &tree) {
    Tree out{{prefix + "/", ""}};
    for (const auto &[path, content] : tree)
        out[prefix + "/" + path] = content;
    return out;
}

// The names in the folder itself.
std::vector<std::string> itemsIn(const QString &folder) {
    std::vector<std::string> names;
    for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        names.push_back(text(name));
    return names;
}

mode_t modeOf(const QString &path) {
    struct stat st;
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QDateTime local(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

struct Tool {
    const char *label;
    const char *command;
    const char *password;
};

} // namespace

TEST(ZipListing, MatchesWhatPythonReads) {
    const QList<Tool> makers = {
        {"zip", "zip -r -q t.zip src", ""},
        {"zip -P", "zip -r -q -P secret t.zip src", "secret"},
        {"7zz", "7zz a -tzip t.zip src", ""},
        {"7zz AES", "7zz a -tzip -mem=AES256 -psecret t.zip src", "secret"},
    };
    for (const Tool &maker : makers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        writeSource(dir);
        ASSERT_TRUE(runIn(dir, maker.command));
        OpenedZip reader(dir.file("t.zip"));
        reader.zip->listEntries();
        EXPECT_EQ(reader.code(), 0);
        const auto listed = listTree(reader.root.get());
        EXPECT_EQ(listed, pythonListing(dir, dir.file("t.zip")));
        EXPECT_EQ(listed.at("src/sub/b.bin").size, 300000u);
        EXPECT_EQ(reader.zip->isEncrypted(), *maker.password != '\0');
    }
}

TEST(ZipListing, DatesAndImplicitFolders) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, R"PY(
with zipfile.ZipFile('t.zip', 'w') as z:
    add(z, 'x/y/z.txt', b'zz', date=(2019, 12, 31, 23, 59, 58))
    add(z, 'x/', mode=0o40755, date=(2018, 1, 2, 3, 4, 6))
)PY"));
    OpenedZip reader(dir.file("t.zip"));
    reader.zip->listEntries();
    const auto listed = listTree(reader.root.get());
    EXPECT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed.at("x/y/z.txt").date, local(2019, 12, 31, 23, 59, 58));
    EXPECT_EQ(listed.at("x/").date, local(2018, 1, 2, 3, 4, 6)) << "a later folder entry dates it";
    EXPECT_FALSE(listed.at("x/y/").date.has_value());
}

TEST(ZipExtraction, ReadsBackWhatThePeerToolsWrote) {
    const QList<Tool> makers = {
        {"zip", "zip -r -q t.zip src", ""},
        {"zip -P deflated", "zip -r -q -P secret t.zip src", "secret"},
        {"zip -P stored", "zip -r -q -0 -P secret t.zip src", "secret"},
        {"7zz deflate", "7zz a -tzip t.zip src", ""},
        {"7zz AES-256", "7zz a -tzip -mem=AES256 -psecret t.zip src", "secret"},
        {"7zz AES-192 stored", "7zz a -tzip -mem=AES192 -mx0 -psecret t.zip src", "secret"},
        {"7zz AES-128", "7zz a -tzip -mem=AES128 -psecret t.zip src", "secret"},
        {"7zz ZipCrypto", "7zz a -tzip -mem=ZipCrypto -psecret t.zip src", "secret"},
        {"7zz bzip2", "7zz a -tzip -mm=BZip2 t.zip src", ""},
        {"7zz LZMA", "7zz a -tzip -mm=LZMA t.zip src", ""},
        {"7zz PPMd", "7zz a -tzip -mm=PPMd t.zip src", ""},
    };
    for (const Tool &maker : makers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        writeSource(dir);
        ASSERT_TRUE(runIn(dir, maker.command));
        OpenedZip reader(dir.file("t.zip"), maker.password);
        EXPECT_EQ(reader.extractAll(dir), under("src", readTree(dir.file("src"))));
        EXPECT_EQ(reader.code(), 0) << reader.message().toStdString();
    }
}

TEST(ZipExtraction, PythonMethodsNamesAndBackslashes) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, R"PY(
with zipfile.ZipFile('t.zip', 'w') as z:
    add(z, 'stored.txt', b's' * 60, method=zipfile.ZIP_STORED)
    add(z, 'bzip2.txt', b'b' * 60, method=zipfile.ZIP_BZIP2)
    add(z, 'lzma.txt', b'l' * 60, method=zipfile.ZIP_LZMA)
    add(z, b'dir\\sub\\file.txt', b'f')
    add(z, b'dir\\sub\\', mode=0o40755)
)PY"));
    OpenedZip reader(dir.file("t.zip"));
    const auto tree = reader.extractAll(dir);
    EXPECT_EQ(tree, (Tree{{"stored.txt", std::string(60, 's')},
                          {"bzip2.txt", std::string(60, 'b')},
                          {"lzma.txt", std::string(60, 'l')},
                          {"dir/", ""},
                          {"dir/sub/", ""},
                          {"dir/sub/file.txt", "f"}}));
    EXPECT_TRUE(findNode(reader.root.get(), "dir/sub/file.txt"));
    EXPECT_EQ(reader.code(), 0);
}

TEST(ZipExtraction, XzAndZstdEntries) {
    // No tool at hand writes these methods into a zip: store the packed data, then mark it.
    const QString script = R"PY(
import lzma, subprocess, sys
original = b'x' * 5000 + bytes(range(256)) * 20
method = int(sys.argv[1])
if method == 95:
    packed = lzma.compress(original, format=lzma.FORMAT_XZ)
else:
    packed = subprocess.run(['zstd', '-q', '-c'], input=original, capture_output=True).stdout
with zipfile.ZipFile('t.zip', 'w') as z:
    add(z, 'packed.bin', packed, method=zipfile.ZIP_STORED)
data = bytearray(open('t.zip', 'rb').read())
for at, method_at in ((0, 8), (data.rfind(b'PK\x01\x02'), 10)):
    struct.pack_into('<H', data, at + method_at, method)
    struct.pack_into('<I', data, at + method_at + 6, zlib.crc32(original))
    struct.pack_into('<I', data, at + method_at + 14, len(original))
open('t.zip', 'wb').write(data)
open('original.bin', 'wb').write(original)
)PY";
    for (const char *method : {"95", "93"}) {
        SCOPED_TRACE(method);
        ScratchDir dir;
        ASSERT_TRUE(runPython(dir, script, {method}));
        OpenedZip reader(dir.file("t.zip"));
        const auto tree = reader.extractAll(dir);
        EXPECT_EQ(reader.code(), 0) << text(reader.message());
        EXPECT_EQ(tree, (Tree{{"packed.bin", readTree(dir.path()).at("original.bin")}}));
    }
}

TEST(ZipExtraction, ModesDatesAndLinks) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, R"PY(
with zipfile.ZipFile('t.zip', 'w') as z:
    add(z, 'folder/', mode=0o40755, date=(2010, 1, 2, 3, 4, 6))
    add(z, 'folder/run.sh', b'#!/bin/sh\n', mode=0o100755, date=(2005, 6, 7, 8, 9, 10))
    add(z, 'folder/secret.txt', b'pst', mode=0o100600)
    add(z, 'folder/plain.txt', b'no unix mode', attr=0x20)
    add(z, 'folder/link', b'run.sh', mode=0o120777, method=zipfile.ZIP_STORED)
    add(z, 'folder/far', b'../../elsewhere', mode=0o120777)
)PY"));
    const mode_t previous = ::umask(022);
    OpenedZip reader(dir.file("t.zip"));
    const auto tree = reader.extractAll(dir);
    ::umask(previous);
    EXPECT_EQ(reader.code(), 0);
    EXPECT_EQ(tree.at("folder/link"), "-> run.sh");
    EXPECT_EQ(tree.count("folder/far"), 0u) << "a link leading out of the tree is left out";
    EXPECT_EQ(reader.zip->warnings(),
              ArchiveWarnings({{ArchiveWarning::Kind::LinkLeftOut, "folder/far"}}));
    EXPECT_EQ(modeOf(dir.file("out/folder/run.sh")), 0755u);
    EXPECT_EQ(modeOf(dir.file("out/folder/secret.txt")), 0600u);
    EXPECT_EQ(modeOf(dir.file("out/folder/plain.txt")), 0644u);
    EXPECT_EQ(FileAttributes::modifiedDate(dir.file("out/folder/run.sh")),
              local(2005, 6, 7, 8, 9, 10));
    EXPECT_EQ(FileAttributes::modifiedDate(dir.file("out/folder/link")),
              local(2001, 2, 3, 4, 5, 6));
    EXPECT_EQ(FileAttributes::modifiedDate(dir.file("out/folder")), local(2010, 1, 2, 3, 4, 6))
        << "a folder keeps its date although files were written into it";

    OpenedZip undated(dir.file("t.zip"));
    undated.zip->setRestoresDates(false);
    undated.extractAll(dir, "undated");
    EXPECT_GT(*FileAttributes::modifiedDate(dir.file("undated/folder/run.sh")),
              QDateTime::currentDateTime().addDays(-1));
}

TEST(ZipNames, EncodingsFlagsAndUnicodePathFields) {
    struct Case {
        const char *label;
        const char *adds;
        const char *chosen; // IANA name, or null for automatic
        QStringList expected;
    };
    const QList<Case> cases = {
        {"language-encoding flag",
         "add(z, 'Документы/отчёт.txt', b'1')",
         nullptr,
         {"Документы/отчёт.txt"}},
        {"cp866 chosen",
         "add(z, 'Документы/отчёт.txt'.encode('cp866'), b'1')",
         "IBM866",
         {"Документы/отчёт.txt"}},
        {"Shift_JIS detected beside flagged names",
         R"PY(
for name in ['報告書.txt', '写真/旅行.jpg', '会議の議事録.docx']:
    add(z, name.encode('shift_jis'), b'1')
for name in ['Фото/лето.jpg', 'Приложение/счёт.xls']:
    add(z, name, b'1')
)PY",
         nullptr,
         {"報告書.txt", "写真/旅行.jpg", "会議の議事録.docx", "Фото/лето.jpg",
          "Приложение/счёт.xls"}},
        {"Unicode Path field",
         "add(z, b'caf\\x82.txt', b'1', extra=unicode_path(b'caf\\x82.txt', 'café.txt'))",
         nullptr,
         {"café.txt"}},
        {"Unicode Path field of another name",
         "add(z, b'right.txt', b'1', extra=unicode_path(b'other', 'wrong.txt'))",
         nullptr,
         {"right.txt"}},
        {"chosen encoding over the flag", "add(z, 'é.txt', b'1')", "windows-1252", {"Ã©.txt"}},
        {"chosen encoding over the field",
         "add(z, b'right.txt', b'1', extra=unicode_path(b'right.txt', 'other.txt'))",
         "windows-1252",
         {"right.txt"}},
        {"backslash separators",
         "add(z, b'dir\\\\sub\\\\file.txt', b'1')",
         nullptr,
         {"dir/sub/file.txt"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        ASSERT_TRUE(runPython(dir, QStringLiteral("z = zipfile.ZipFile('t.zip', 'w')\n") +
                                       QString::fromUtf8(c.adds) + "\nz.close()\n"));
        const StringEncoding chosen =
            c.chosen ? StringEncodings::fromIANAName(c.chosen) : kAutomaticEncoding;
        OpenedZip reader(dir.file("t.zip"), {}, chosen);
        const auto extracted = regularFiles(reader.extractAll(dir));
        std::vector<std::string> listed;
        for (const auto &[path, entry] : listTree(reader.root.get())) {
            if (!path.ends_with('/'))
                listed.push_back(path);
        }
        std::vector<std::string> expected;
        for (const QString &name : c.expected)
            expected.push_back(text(name));
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(extracted, expected);
    }
}

TEST(ZipNames, IgnoredEntriesNeitherListedNorExtracted) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, R"PY(
with zipfile.ZipFile('t.zip', 'w') as z:
    for name in ['.DS_Store', 'a/Thumbs.db', '__MACOSX/a/._x.txt', 'a/x.txt', 'a/.DS_Store.bak']:
        add(z, name, name.encode())
)PY"));
    OpenedZip reader(dir.file("t.zip"));
    const Tree kept = {{"a/", ""}, {"a/x.txt", "a/x.txt"}, {"a/.DS_Store.bak", "a/.DS_Store.bak"}};
    EXPECT_EQ(reader.extractAll(dir), kept);
    std::vector<std::string> listed;
    for (const auto &[path, entry] : listTree(reader.root.get()))
        listed.push_back(path);
    EXPECT_EQ(listed, (std::vector<std::string>{"a/", "a/.DS_Store.bak", "a/x.txt"}));
    reader.zip->extract(findNode(reader.root.get(), "a/"), dir.file("folder"));
    EXPECT_EQ(readTree(dir.file("folder")), kept);
}

TEST(ZipSelection, SelectedItemsLandUnderTheirOwnName) {
    const QList<QPair<QString, Tree>> selections = {
        {"a/b/d/e.txt", {{"e.txt", "e"}}},
        {"a/b/c.txt", {{"c.txt", "c"}}},
        {"a/b/", {{"b/", ""}, {"b/c.txt", "c"}, {"b/d/", ""}, {"b/d/e.txt", "e"}}},
        {"x/y/", {{"y/", ""}, {"y/z.txt", "z"}}},
        {"x/", {{"x/", ""}, {"x/y/", ""}, {"x/y/z.txt", "z"}}},
        {"top.txt", {{"top.txt", "t"}}},
    };
    const QList<Tool> makers = {
        {"zip without folder entries", "zip -q -D -r t.zip a x top.txt", ""},
        {"7zz AES", "7zz a -tzip -mem=AES256 -psecret t.zip a x top.txt", "secret"},
    };
    for (const Tool &maker : makers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        dir.write("a/b/c.txt", "c");
        dir.write("a/b/d/e.txt", "e");
        dir.write("x/y/z.txt", "z");
        dir.write("top.txt", "t");
        ASSERT_TRUE(runIn(dir, maker.command));
        OpenedZip reader(dir.file("t.zip"), maker.password);
        reader.zip->listEntries();
        int n = 0;
        for (const auto &[path, expected] : selections) {
            SCOPED_TRACE(path.toStdString());
            ArchiveEntry *node = findNode(reader.root.get(), path);
            ASSERT_TRUE(node);
            const QString destination = dir.file(QStringLiteral("sel%1").arg(++n));
            reader.zip->extract(node, destination);
            EXPECT_EQ(reader.code(), 0) << reader.message().toStdString();
            EXPECT_EQ(readTree(destination), expected);
        }
    }
}

TEST(ZipSafety, HostileNamesStayInsideTheDestination) {
    ScratchDir dir;
    ASSERT_TRUE(runPython(dir, R"PY(
with zipfile.ZipFile('t.zip', 'w') as z:
    add(z, 'ok.txt', b'ok')
    add(z, '../dotdot.txt', b'1')
    add(z, '../../dotdot2.txt', b'2')
    add(z, '/abs/absolute.txt', b'3')
    add(z, b'..\\..\\backslash.txt', b'4')
    add(z, b'\\abs2\\backslash-absolute.txt', b'5')
    add(z, 'a/../../inner.txt', b'6')
)PY"));
    const QString outside = dir.file("nest");
    const QString destination = dir.file("nest/dest");
    QDir().mkpath(destination);
    OpenedZip reader(dir.file("t.zip"));
    reader.zip->listEntries();
    reader.zip->extract(nullptr, destination);
    EXPECT_EQ(readTree(destination), (Tree{{"ok.txt", "ok"},
                                           {"dotdot.txt", "1"},
                                           {"dotdot2.txt", "2"},
                                           {"abs/", ""},
                                           {"abs/absolute.txt", "3"},
                                           {"backslash.txt", "4"},
                                           {"abs2/", ""},
                                           {"abs2/backslash-absolute.txt", "5"},
                                           {"a/", ""},
                                           {"a/inner.txt", "6"}}));
    EXPECT_EQ(itemsIn(outside), std::vector<std::string>{"dest"});
    EXPECT_EQ(itemsIn(dir.path()), (std::vector<std::string>{"make.py", "nest", "t.zip"}));

    // Each file alone, and the folder holding "..", land in the destination as well.
    const QString single = dir.file("nest/single");
    for (const auto &[path, entry] : listTree(reader.root.get())) {
        QDir(single).removeRecursively();
        reader.zip->extract(findNode(reader.root.get(), QString::fromStdString(path)), single);
        EXPECT_EQ(itemsIn(outside), (std::vector<std::string>{"dest", "single"})) << path;
        EXPECT_FALSE(readTree(single).empty()) << path;
    }
}

TEST(ZipSafety, NothingIsWrittenThroughALinkTheArchiveMade) {
    ScratchDir dir;
    const QString outside = dir.file("outside");
    QDir().mkpath(outside);
    const QString victim = dir.write("victim.txt", "keep");
    ASSERT_TRUE(runPython(dir, QStringLiteral(R"PY(
with zipfile.ZipFile('t.zip', 'w') as z:
    add(z, 'link', b'%1', mode=0o120777)
    add(z, 'link/evil.txt', b'evil')
    add(z, 'rel', b'../outside', mode=0o120777)
    add(z, 'rel/evil2.txt', b'evil')
    add(z, 'x', b'%2', mode=0o120777)
    add(z, 'x', b'new')
)PY")
                                   .arg(outside, victim)));
    OpenedZip reader(dir.file("t.zip"));
    const auto tree = reader.extractAll(dir, "dest");
    EXPECT_TRUE(QDir(outside).isEmpty());
    EXPECT_EQ(readTree(dir.path()).at("victim.txt"), "keep");
    EXPECT_EQ(tree.at("x"), "new");
    // The links lead outside, so they are left out and their names become plain folders.
    EXPECT_EQ(tree.at("link/evil.txt"), "evil");
    EXPECT_EQ(tree.at("rel/evil2.txt"), "evil");
    EXPECT_EQ(reader.code(), 0);
    EXPECT_EQ(reader.zip->warnings().size(), 3);
}

TEST(ZipErrors, MissingEmptyAndUnreadableArchives) {
    ScratchDir dir;
    OpenedZip missing(dir.file("nothing.zip"));
    missing.zip->listEntries();
    EXPECT_EQ(missing.code(), 1);
    missing.zip->extract(nullptr, dir.path());
    EXPECT_EQ(missing.code(), 1);
    EXPECT_FALSE(missing.zip->isEncrypted());

    ASSERT_TRUE(runPython(dir, "zipfile.ZipFile('empty.zip', 'w').close()\n"));
    OpenedZip empty(dir.file("empty.zip"));
    empty.zip->listEntries();
    EXPECT_EQ(empty.code(), 0);
    EXPECT_EQ(empty.root->childCount(), 0);

    OpenedZip notZip(dir.write("text.zip", QByteArray(5000, 'x')));
    notZip.zip->listEntries();
    EXPECT_EQ(notZip.code(), 1);
}

TEST(ZipErrors, DamagedDataIsNeverPassedOffAsGood) {
    // Flips one byte in the middle of the compressed data of data.bin.
    const QString flip = R"PY(
info = zipfile.ZipFile('t.zip').getinfo('data.bin')
with open('t.zip', 'r+b') as f:
    f.seek(info.header_offset + 26)
    name_length, extra_length = struct.unpack('<HH', f.read(4))
    f.seek(info.header_offset + 30 + name_length + extra_length + info.compress_size // 2)
    byte = f.read(1)[0]
    f.seek(-1, 1)
    f.write(bytes([byte ^ 0x55]))
)PY";
    const QList<Tool> makers = {
        {"stored", "zip -q -0 t.zip data.bin ok.txt", ""},
        {"deflated", "zip -q t.zip data.bin ok.txt", ""},
        {"AES", "7zz a -tzip -mem=AES256 -psecret t.zip data.bin ok.txt", "secret"},
        {"ZipCrypto stored", "zip -q -0 -P secret t.zip data.bin ok.txt", "secret"},
    };
    for (const Tool &maker : makers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        dir.write("data.bin", QByteArray(100000, 'd') + noise(100000, 2));
        dir.write("ok.txt", "fine");
        ASSERT_TRUE(runIn(dir, maker.command));
        ASSERT_TRUE(runPython(dir, flip));
        OpenedZip reader(dir.file("t.zip"), maker.password);
        const auto tree = reader.extractAll(dir);
        EXPECT_EQ(tree, (Tree{{"ok.txt", "fine"}}));
        // Bad data of an encrypted entry cannot be told from a wrong password.
        EXPECT_EQ(reader.code(), int(*maker.password == 0 ? ArchiveErrorCode::Damaged
                                                          : ArchiveErrorCode::WrongPassword));
        EXPECT_TRUE(reader.message().contains("data.bin"));
    }
}

TEST(ZipErrors, WrongOrMissingPasswordYieldsNoFile) {
    const QList<Tool> makers = {
        {"zip -P", "zip -q -r -P secret t.zip src", "wrong"},
        {"zip -P stored", "zip -q -r -0 -P secret t.zip src", "wrong"},
        {"7zz AES", "7zz a -tzip -mem=AES256 -psecret t.zip src", "wrong"},
        {"7zz ZipCrypto", "7zz a -tzip -mem=ZipCrypto -psecret t.zip src", "wrong"},
        {"7zz AES, no password", "7zz a -tzip -mem=AES256 -psecret t.zip src", ""},
    };
    for (const Tool &maker : makers) {
        SCOPED_TRACE(maker.label);
        ScratchDir dir;
        writeSource(dir);
        QFile::remove(dir.file("src/empty.txt")); // an empty file needs no password
        ASSERT_TRUE(runIn(dir, maker.command));
        OpenedZip reader(dir.file("t.zip"), maker.password);
        const auto tree = reader.extractAll(dir);
        EXPECT_EQ(regularFiles(tree), std::vector<std::string>());
        EXPECT_EQ(reader.code(), int(*maker.password == 0 ? ArchiveErrorCode::MissingPassword
                                                          : ArchiveErrorCode::WrongPassword));
        EXPECT_TRUE(reader.message().contains("src/"));
    }
}

TEST(ZipEncryption, AnswerIsCached) {
    ScratchDir dir;
    dir.write("a.txt", "a");
    ASSERT_TRUE(runIn(dir, "zip -q -P pw t.zip a.txt"));
    OpenedZip reader(dir.file("t.zip"));
    EXPECT_TRUE(reader.zip->isEncrypted());
    QFile::remove(dir.file("t.zip"));
    EXPECT_TRUE(reader.zip->isEncrypted());
}

TEST(ZipEncryption, AesVersion1EntriesHaveTheirCrcChecked) {
    // 7-Zip writes AE-2 (no CRC); turning the entry into AE-1 with its CRC, right or wrong,
    // makes the CRC count.
    const QString toAe1 = R"PY(
import sys
crc = zlib.crc32(open('a.txt', 'rb').read()) ^ int(sys.argv[1])
data = bytearray(open('t.zip', 'rb').read())
for at, crc_at, name_at, fixed in ((data.rfind(b'PK\x01\x02'), 16, 28, 46), (0, 14, 26, 30)):
    name_length, extra_length = struct.unpack_from('<HH', data, at + name_at)
    struct.pack_into('<I', data, at + crc_at, crc)
    extra = at + fixed + name_length
    aes = data.find(b'\x01\x99', extra, extra + extra_length)
    struct.pack_into('<H', data, aes + 4, 1)
open('t.zip', 'wb').write(data)
)PY";
    for (const int damage : {0, 1}) {
        SCOPED_TRACE(damage);
        ScratchDir dir;
        dir.write("a.txt", "some text\n");
        ASSERT_TRUE(runIn(dir, "7zz a -tzip -mem=AES256 -psecret t.zip a.txt"));
        ASSERT_TRUE(runPython(dir, toAe1, {QString::number(damage)}));
        OpenedZip reader(dir.file("t.zip"), "secret");
        const auto tree = reader.extractAll(dir);
        EXPECT_EQ(regularFiles(tree),
                  damage ? std::vector<std::string>() : std::vector<std::string>{"a.txt"});
        EXPECT_EQ(reader.code(), damage ? int(ArchiveErrorCode::WrongPassword) : 0);
    }
}
