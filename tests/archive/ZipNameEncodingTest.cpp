#include "ZipFixtures.h"

#include "encoding/EncodingTestData.h"
#include "encoding/NameListCorpus.h"
#include "encoding/StringEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace ZipFixtures;

namespace {

// Writes t.zip holding the names of names.txt as raw bytes in a code page, without the UTF-8
// flag, as written on a host system (the high byte of "version made by"), each file holding
// its own name in UTF-8. The names of unix.txt are added the same way as written on Unix (3),
// those of utf8.txt with the flag.
const char *const kLegacyZip = R"PY(
import sys
codepage, system = sys.argv[1], int(sys.argv[2])
def lines(path):
    return [l for l in open(path, encoding='utf-8').read().split('\n') if l]
def add_raw(z, name, system):
    info = RawInfo(name, (2001, 2, 3, 4, 5, 6))
    info.raw_name = name.encode(codepage)
    info.name_flag = 0
    info.create_system = system
    info.external_attr = 0x10 if name.endswith('/') else 0x20
    z.writestr(info, b'' if name.endswith('/') else name.encode('utf-8'))
with zipfile.ZipFile('t.zip', 'w') as z:
    for name in lines('names.txt'):
        add_raw(z, name, system)
    for name in lines('unix.txt'):
        add_raw(z, name, 3)
    for name in lines('utf8.txt'):
        add(z, name, name.encode('utf-8'))
)PY";

struct LegacyZip {
    QString codePage;
    int hostSystem = 0;
    QStringList names;
    QStringList unixNames = {};
    QStringList utf8Names = {};
};

bool makeZip(const ScratchDir &dir, const LegacyZip &zip) {
    dir.write("names.txt", zip.names.join('\n').toUtf8());
    dir.write("unix.txt", zip.unixNames.join('\n').toUtf8());
    dir.write("utf8.txt", zip.utf8Names.join('\n').toUtf8());
    return runPython(dir, kLegacyZip, {zip.codePage, QString::number(zip.hostSystem)});
}

Tree expectedFiles(const QStringList &names) {
    Tree tree;
    for (const QString &name : names)
        tree[text(name)] = name.endsWith('/') ? std::string() : text(name);
    return tree;
}

std::vector<std::string> sortedPaths(const QStringList &names) {
    std::vector<std::string> paths;
    for (const QString &name : names)
        paths.push_back(text(name));
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The names as bytes of one code page read in another.
QStringList misread(const QStringList &names, const char *writtenIn, const QString &readIn) {
    const StringEncoding encoding = StringEncodings::fromIANAName(readIn);
    QStringList read;
    for (const QString &name : names) {
        const QByteArray bytes = encodedIn(writtenIn, name);
        read.append(
            StringEncodings::decode(bytes.constData(), bytes.size(), encoding).value_or(""));
    }
    return read;
}

std::vector<std::string> listedPaths(const OpenedZip &reader) {
    std::vector<std::string> paths;
    for (const auto &[path, listed] : listTree(reader.root.get()))
        paths.push_back(path);
    return paths;
}

TEST(ZipNameEncoding, OemNamesFromDosAndWindowsOpenRightByDefault) {
    struct Case {
        const char *label;
        const char *codePage;
        int hostSystem;
        const QStringList *names;
        const char *detected;
    };
    const Case cases[] = {
        {"German in cp437 from MS-DOS", "cp437", 0, &NameListCorpus::kGermanLong, "IBM437"},
        {"German in cp437, a short list", "cp437", 0, &NameListCorpus::kGermanShort, "IBM437"},
        {"Russian in cp866 from NTFS", "cp866", 11, &NameListCorpus::kRussianLong, "IBM866"},
        {"Russian in cp866 from VFAT", "cp866", 14, &NameListCorpus::kRussianShort, "IBM866"},
        {"Portuguese in cp850 from NTFS as PKWARE numbers it", "cp850", 10,
         &NameListCorpus::kPortugueseLong, "IBM850"},
        {"Polish in cp852 from MS-DOS", "cp852", 0, &NameListCorpus::kPolishLong, "IBM852"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        ASSERT_TRUE(makeZip(dir, {c.codePage, c.hostSystem, *c.names}));
        OpenedZip reader(dir.file("t.zip"));
        EXPECT_EQ(reader.extractAll(dir), expectedFiles(*c.names));
        EXPECT_EQ(listedPaths(reader), sortedPaths(*c.names));
        EXPECT_EQ(reader.zip->encodingName(), c.detected);
        EXPECT_EQ(StringEncodings::ianaName(reader.zip->encoding()), c.detected);
    }
}

// Unix tools write names in the locale's charset: ICU's choice stands, even where it is the
// mojibake a cp437 list gives in windows-1252.
TEST(ZipNameEncoding, NamesFromOtherSystemsKeepIcusChoice) {
    const QStringList &names = NameListCorpus::kGermanLong;
    ScratchDir dir;
    ASSERT_TRUE(makeZip(dir, {"cp437", 3, names}));
    OpenedZip reader(dir.file("t.zip"));
    reader.zip->listEntries();
    EXPECT_EQ(reader.zip->encodingName(), "windows-1252");
    EXPECT_EQ(listedPaths(reader), sortedPaths(misread(names, "ibm-437", "windows-1252")));
}

TEST(ZipNameEncoding, FlaggedAndLaterAddedNamesBesideDosNames) {
    const QStringList &dosNames = NameListCorpus::kRussianLong;
    const QStringList unixNames = {"readme.txt", "Makefile"};
    const QStringList flagged = {"Grüße/", "Grüße/Übung.txt", "報告書.txt"};
    ScratchDir dir;
    ASSERT_TRUE(makeZip(dir, {"cp866", 0, dosNames, unixNames, flagged}));
    OpenedZip reader(dir.file("t.zip"));
    EXPECT_EQ(reader.extractAll(dir), expectedFiles(dosNames + unixNames + flagged));
    EXPECT_EQ(reader.zip->encodingName(), "IBM866");
}

TEST(ZipNameEncoding, AChosenEncodingStillWins) {
    const QStringList &names = NameListCorpus::kRussianShort;
    ScratchDir dir;
    ASSERT_TRUE(makeZip(dir, {"cp866", 0, names}));
    OpenedZip reader(dir.file("t.zip"), {}, StringEncodings::fromIANAName("KOI8-R"));
    reader.zip->listEntries();
    EXPECT_EQ(listedPaths(reader), sortedPaths(misread(names, "ibm-866", "KOI8-R")));
}

} // namespace
