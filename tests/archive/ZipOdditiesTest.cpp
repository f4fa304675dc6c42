#include "archive/ZipReader.h"

#include "encoding/StringEncoding.h"
#include "support/ArchiveKit.h"
#include "util/FileAttributes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ArchiveKit;
using OpenedZip = Opened<ZipReader>;

// What only zip has: names in any code page with or without the UTF-8 flag and the Unicode Path
// field, Unix modes in the external attributes, and the AES CRC rule. The rest is in the
// conformance table (links and modes for every reader in the disk writer's).

namespace {

// Writes t.zip in the folder with the python lines (archive_maker's add() and unicode_path()).
bool makeZip(const ScratchDir &dir, const QString &adds) {
    return runPython(QStringLiteral("from archive_maker import *\n"
                                    "z = zipfile.ZipFile('t.zip', 'w')\n") +
                         adds + QStringLiteral("\nz.close()\n"),
                     dir.path()) == 0;
}

// The paths without the folders ("a/").
QStringList leaves(QStringList paths) {
    paths.removeIf([](const QString &path) { return path.endsWith('/'); });
    return paths;
}

} // namespace

TEST(ZipNames, EncodingsFlagsAndUnicodePathFields) {
    // The label, the python lines, the encoding chosen (an IANA name, or null for automatic) and
    // the files, joined by ", ".
    const char *const cases[][4] = {
        {"language-encoding flag", "add(z, 'Документы/отчёт.txt', b'1')", nullptr,
         "Документы/отчёт.txt"},
        {"cp866 chosen", "add(z, 'Документы/отчёт.txt'.encode('cp866'), b'1')", "IBM866",
         "Документы/отчёт.txt"},
        // ICU takes these bytes for UTF-16BE, which names never are.
        {"cp866 detected in a zip from a Unix system", R"PY(
for name in ['Документы/отчёт за март.txt', 'Фото/лето на даче.jpg',
             'Приложение/счёт-фактура.xls', 'Письма/поздравление.doc']:
    add(z, name.encode('cp866'), b'1')
)PY",
         nullptr,
         "Документы/отчёт за март.txt, Письма/поздравление.doc, Приложение/счёт-фактура.xls, "
         "Фото/лето на даче.jpg"},
        {"Shift_JIS detected beside flagged names", R"PY(
for name in ['報告書.txt', '写真/旅行.jpg', '会議の議事録.docx']:
    add(z, name.encode('shift_jis'), b'1')
for name in ['Фото/лето.jpg', 'Приложение/счёт.xls']:
    add(z, name, b'1')
)PY",
         nullptr,
         "Приложение/счёт.xls, 会議の議事録.docx, 写真/旅行.jpg, 報告書.txt, Фото/лето.jpg"},
        {"Unicode Path field",
         "add(z, b'caf\\x82.txt', b'1', extra=unicode_path(b'caf\\x82.txt', 'café.txt'))", nullptr,
         "café.txt"},
        {"Unicode Path field of another name",
         "add(z, b'right.txt', b'1', extra=unicode_path(b'other', 'wrong.txt'))", nullptr,
         "right.txt"},
        {"chosen encoding over the flag", "add(z, 'é.txt', b'1')", "windows-1252", "Ã©.txt"},
        {"chosen encoding over the field",
         "add(z, b'right.txt', b'1', extra=unicode_path(b'right.txt', 'other.txt'))",
         "windows-1252", "right.txt"},
        {"backslash separators", "add(z, b'dir\\\\sub\\\\file.txt', b'1')", nullptr,
         "dir/sub/file.txt"},
        {"ignored entries",
         "for name in ['keep.txt', '.DS_Store', 'sub/Thumbs.db', '__MACOSX/._keep.txt']:\n"
         "    add(z, name, b'1')",
         nullptr, "keep.txt"},
    };
    for (const auto &[label, adds, chosen, files] : cases) {
        SCOPED_TRACE(label);
        ScratchDir dir;
        ASSERT_TRUE(makeZip(dir, QString::fromUtf8(adds)));
        const StringEncoding encoding =
            chosen ? StringEncodings::fromIANAName(chosen) : kAutomaticEncoding;
        OpenedZip zip(dir.file("t.zip"), {}, encoding);
        const QStringList listed = leaves(zip.list());
        zip.reader->extract(dir.file("out"));
        QStringList expected = listOf(files);
        expected.sort();
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(leaves(filesBelow(dir.file("out"))), expected);
    }
}

TEST(ZipAttributes, ModesAndDates) {
    ScratchDir dir;
    ASSERT_TRUE(makeZip(dir, R"PY(
add(z, 'folder/', mode=0o40755, date=(2010, 1, 2, 3, 4, 6))
add(z, 'folder/run.sh', b'#!/bin/sh\n', mode=0o100755)
add(z, 'folder/plain.txt', b'no unix mode', attr=0x20)
)PY"));
    const mode_t previous = ::umask(022);
    OpenedZip zip(dir.file("t.zip"));
    zip.list();
    zip.reader->extract(dir.file("out"));
    ::umask(previous);
    EXPECT_EQ(zip.code(), 0);
    EXPECT_EQ(modeOf(dir.file("out/folder/run.sh")), 0755u);
    EXPECT_EQ(modeOf(dir.file("out/folder/plain.txt")), 0644u);
    // Files' dates are the conformance test's.
    EXPECT_EQ(FileAttributes::modifiedDate(dir.file("out/folder")), localDate(2010, 1, 2, 3, 4, 6))
        << "a folder keeps its date although files were written into it";

    OpenedZip undated(dir.file("t.zip"));
    undated.list();
    undated.reader->setRestoresDates(false);
    undated.reader->extract(dir.file("undated"));
    EXPECT_GT(*FileAttributes::modifiedDate(dir.file("undated/folder/run.sh")),
              QDateTime::currentDateTime().addDays(-1));
}

TEST(ZipEncryption, AesVersion1EntriesHaveTheirCrcChecked) {
    // 7-Zip writes AE-2 (no CRC); turning the entry into AE-1 with its CRC, right or wrong,
    // makes the CRC count.
    const QString toAe1 = R"PY(
import struct, sys, zlib
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
        ASSERT_EQ(
            runShellIn(dir.path(), "7zz a -bso0 -bsp0 -tzip -mem=AES256 -psecret t.zip a.txt"), 0);
        ASSERT_EQ(runPython(toAe1, dir.path(), {QString::number(damage)}), 0);
        OpenedZip zip(dir.file("t.zip"), "secret");
        zip.list();
        zip.reader->extract(dir.file("out"));
        EXPECT_EQ(filesBelow(dir.file("out")), damage ? QStringList() : QStringList({"a.txt"}));
        // The decoder reports damaged AES data as a failed decryption, which the reader cannot
        // tell from a wrong password; what matters here is that nothing unchecked is written.
        EXPECT_EQ(zip.code() != 0, damage != 0);
    }
}

// libarchive, which decodes AES entries, hands out an encrypted link's target undecrypted: the
// link is left out with a warning, and the files beside it still extract.
TEST(ZipEncryption, AnAesEncryptedLinkIsLeftOutAndTheRestExtracts) {
    ScratchDir dir;
    dir.write("target.txt", "some text\n");
    ASSERT_EQ(runShellIn(dir.path(), "ln -s target.txt link && 7zz a -bso0 -bsp0 -tzip "
                                     "-mem=AES256 -psecret -snl t.zip target.txt link"),
              0);
    OpenedZip zip(dir.file("t.zip"), "secret");
    zip.list();
    zip.reader->extract(dir.file("out"));
    EXPECT_EQ(zip.code(), 0);
    EXPECT_EQ(filesBelow(dir.file("out")), QStringList{"target.txt"});
    EXPECT_EQ(readFile(dir.file("out/target.txt")), "some text\n");
    const ArchiveWarnings leftOut{{ArchiveWarning::Kind::EncryptedLinkLeftOut, "link"}};
    EXPECT_EQ(zip.reader->warnings(), leftOut);
}

// Entries above the size decoded whole in one call stream through another decoder: damage, a
// wrong CRC and a wrong size must fail them as they fail small ones.
TEST(ZipLargeEntries, StreamedEntriesAreCheckedLikeWholeOnes) {
    const QString edit = R"PY(
import struct, sys
data = bytearray(open('t.zip', 'rb').read())
central = data.find(b'PK\x01\x02')  # big.txt's records come first in both places
name_length, extra_length = struct.unpack_from('<HH', data, 26)
packed = struct.unpack_from('<I', data, 18)[0]
def change(fields, delta):
    for at, offset in fields:
        value = struct.unpack_from('<I', data, at + offset)[0]
        struct.pack_into('<I', data, at + offset, (value + delta) & 0xFFFFFFFF)
if sys.argv[1] == 'damage':
    data[30 + name_length + extra_length + packed // 2] ^= 0x10
elif sys.argv[1] == 'crc':
    change(((0, 14), (central, 16)), 1)
elif sys.argv[1] == 'size':
    change(((0, 22), (central, 24)), -1)
open('t.zip', 'wb').write(data)
)PY";
    QByteArray big;
    for (int line = 0; big.size() < 9 * 1024 * 1024; ++line)
        big += "line " + QByteArray::number(qint64(line) * 7919 % 100003) + " of the big file\n";
    for (const char *change : {"none", "damage", "crc", "size"}) {
        SCOPED_TRACE(change);
        ScratchDir dir;
        dir.write("big.txt", big);
        dir.write("small.txt", "small\n");
        ASSERT_EQ(runShellIn(dir.path(), "zip -q t.zip big.txt small.txt"), 0);
        ASSERT_EQ(runPython(edit, dir.path(), {QString::fromLatin1(change)}), 0);
        OpenedZip zip(dir.file("t.zip"));
        zip.list();
        zip.reader->extract(dir.file("out"));
        const bool intact = qstrcmp(change, "none") == 0;
        EXPECT_EQ(zip.code() == 0, intact);
        EXPECT_EQ(filesBelow(dir.file("out")),
                  intact ? QStringList({"big.txt", "small.txt"}) : QStringList({"small.txt"}));
        if (intact) {
            EXPECT_TRUE(readFile(dir.file("out/big.txt")) == big);
        }
    }
}
