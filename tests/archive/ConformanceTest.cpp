#include "archive/ArchiveError.h"
#include "archive/Bzip2Reader.h"
#include "archive/GzipReader.h"
#include "archive/LibarchiveStreamReader.h"
#include "archive/RarReader.h"
#include "archive/TarReader.h"
#include "archive/ZipReader.h"

#include "ReaderOf.h"
#include "support/ArchiveKit.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <numeric>

using namespace ArchiveKit;

// Every reader against the same concerns: one row per kind of archive, one test body per concern.
// A new reader or a new kind of archive is one more row.

namespace {

#define KIST_MAKER "/usr/bin/python3 " KIST_TEST_DATA "/archive_maker.py"

struct Kind {
    const char *label;
    const char *archive; // the file made, then opened
    const char *command; // run in the source folder; %1 is the archive's path
    MakeReader make;
    // How a hostile copy is made: bsdtar's options for the format (bsdtar rewrites names), "rar"
    // (rar's own headers are edited afterwards), or "" (none: another row of the reader has one;
    // gz and bz2 hold no names).
    const char *hostile = "";
    bool tree = true;          // holds the sample tree; false: the one file data.bin
    bool checksData = true;    // a CRC covers the data
    const char *password = ""; // "" for none
};

const Kind kKinds[] = {
    {"zip deflate", "a.zip", "zip -qr %1 .", readerOf<ZipReader>, "--format zip"},
    {"zip stored", "a.zip", "zip -qr0 %1 .", readerOf<ZipReader>,
     "--format zip --options zip:compression=store"},
    {"zip ZipCrypto", "a.zip", "zip -qr -P secret %1 .", readerOf<ZipReader>, "", true, true,
     "secret"},
    {"zip AES", "a.zip", "7zz a -bso0 -bsp0 -tzip -mem=AES256 -psecret %1 .", readerOf<ZipReader>,
     "", true, true, "secret"},
    {"zip bzip2", "a.zip", "7zz a -bso0 -bsp0 -tzip -mm=BZip2 %1 .", readerOf<ZipReader>},
    {"RAR5", "a.rar", "rar a -idq -r %1 .", readerOf<RarReader>, "rar"},
    {"RAR5 solid encrypted", "a.rar", "rar a -idq -r -s -psecret %1 .", readerOf<RarReader>, "",
     true, true, "secret"},
    {"RAR volumes", "a.part1.rar", "rar a -idq -r -m0 -v4m ../a.rar .", readerOf<RarReader>},
    {"7z", "a.7z", "7zz a -bso0 -bsp0 -mx=1 -ms=off %1 .", readerOf<LibarchiveReader>,
     "--format 7zip"},
    {"7z solid", "a.7z", "7zz a -bso0 -bsp0 -mx=1 -ms=on %1 .", readerOf<LibarchiveReader>},
    {"tar ustar", "a.tar", "tar --format=ustar -cf %1 .", readerOf<TarReader>, "--format ustar",
     true, false},
    {"tar pax", "a.tar", "tar --format=pax -cf %1 .", readerOf<TarReader>, "--format pax", true,
     false},
    {"tar GNU", "a.tar", "tar --format=gnu -cf %1 .", readerOf<TarReader>, "--format gnutar", true,
     false},
    {"tar.gz", "a.tar.gz", "tar -czf %1 .", readerOf<GzipReader>, "--format pax -z"},
    {"tar.bz2", "a.tar.bz2", "tar -cjf %1 .", readerOf<Bzip2Reader>, "--format pax -j"},
    {"gz", "data.bin.gz", "gzip -c data.bin > %1", readerOf<GzipReader>, "", false},
    {"bz2", "data.bin.bz2", "bzip2 -c data.bin > %1", readerOf<Bzip2Reader>, "", false},
    // libarchive decompresses, the tar reader reads the tar inside.
    {"tar.xz", "a.tar.xz", "tar -cJf %1 .", readerOf<LibarchiveStreamReader>, "--format pax -J"},
    {"tar.zst", "a.tar.zst", "tar --zstd -cf %1 .", readerOf<LibarchiveStreamReader>},
    {"tar.lz4", "a.tar.lz4", "tar -I lz4 -cf %1 .", readerOf<LibarchiveStreamReader>},
    {"tar.lzma", "a.tar.lzma", "tar -cf - . | xz --format=lzma > %1",
     readerOf<LibarchiveStreamReader>, "", true, false},
    {"tar.lz", "a.tar.lz", "tar --lzip -cf %1 .", readerOf<LibarchiveStreamReader>},
    // A .Z stream has no end mark: a cut copy shows as a cut tar, a cut lone file not at all.
    // compress exits with 2 when its output outgrows the input, as noise makes it do.
    {"tar.Z", "a.tar.Z", "tar -cf - . | compress -c > %1 || [ $? = 2 ]",
     readerOf<LibarchiveStreamReader>, "", true, false},
    {"xz", "data.bin.xz", "xz -c data.bin > %1", readerOf<LibarchiveStreamReader>, "", false},
    {"zst", "data.bin.zst", "zstd -qc data.bin > %1", readerOf<LibarchiveStreamReader>, "", false},
    {"lz4", "data.bin.lz4", "lz4 -qc data.bin > %1", readerOf<LibarchiveStreamReader>, "", false},
    {"lzma", "data.bin.lzma", "xz --format=lzma -c data.bin > %1", readerOf<LibarchiveStreamReader>,
     "", false, false},
    {"lz", "data.bin.lz", "lzip -c data.bin > %1", readerOf<LibarchiveStreamReader>, "", false},
    {"ISO 9660", "a.iso", "genisoimage -quiet -J -R -o %1 .", libarchiveOf<ArchiveKind::Iso9660>,
     "--format iso9660", true, false},
    {"cpio newc", "a.cpio", "find . | cpio -o -H newc --quiet > %1",
     libarchiveOf<ArchiveKind::Cpio>, "--format newc", true, false},
    {"cpio odc", "a.cpio", "find . | cpio -o -H odc --quiet > %1", libarchiveOf<ArchiveKind::Cpio>,
     "--format odc", true, false},
    {"cpio binary", "a.cpio", "find . | cpio -o -H bin --quiet > %1",
     libarchiveOf<ArchiveKind::Cpio>, "", true, false},
    // ar holds no folders.
    {"ar", "a.ar", "ar rcU %1 data.bin", libarchiveOf<ArchiveKind::Ar>, "", false, false},
    {"rpm", "a.rpm", KIST_MAKER " rpm %1 .", libarchiveOf<ArchiveKind::Rpm>, "", true, false},
    // gcab leaves the optional block checksums out.
    {"cab", "a.cab", "gcab -cz %1 big.bin docs/a.txt docs/sub/b.txt",
     libarchiveOf<ArchiveKind::Cab>, "", true, false},
    // Debian's only LHA writer needs a Java runtime: the kit writes stored entries itself.
    {"LHA", "a.lzh", KIST_MAKER " lha %1 .", libarchiveOf<ArchiveKind::Lha>},
};

void PrintTo(const Kind &kind, std::ostream *out) {
    *out << kind.label;
}

// Large enough for several progress reports, so a cancel lands in the middle.
constexpr qsizetype kBigSize = 5 * 1000 * 1000;
// The modification time of every packed item (even, as an MS-DOS time needs).
constexpr qint64 kStamp = 1600000000;

// The sample every kind packs, by relative path ("/" ending a folder).
const std::map<QString, QByteArray> &sample(bool tree) {
    static const std::map<QString, QByteArray> files = {
        {"big.bin", noise(kBigSize, 7)},
        {"docs/", {}},
        {"docs/a.txt", "alpha\n"},
        {"docs/sub/", {}},
        {"docs/sub/b.txt", QByteArray(5000, 'b')},
    };
    static const std::map<QString, QByteArray> single = {{"data.bin", noise(kBigSize, 7)}};
    return tree ? files : single;
}

QStringList samplePaths(bool tree) {
    QStringList paths;
    for (const auto &[path, content] : sample(tree))
        paths.append(path);
    return paths;
}

// Each kind's archive is made once per run and kept in a folder of the whole run.
QString archiveOf(const Kind &kind) {
    static ScratchDir store;
    static std::map<std::string, QString> made;
    const auto found = made.find(kind.label);
    if (found != made.end())
        return found->second;
    const QString folder = store.file(QString::number(made.size()));
    for (const auto &[path, content] : sample(kind.tree))
        if (!path.endsWith(QLatin1Char('/')))
            store.write(QDir(store.path()).relativeFilePath(folder + "/src/" + path), content);
    runShell(QStringLiteral("find %1 -exec touch -d @%2 {} +")
                 .arg(shellQuote(folder + "/src"))
                 .arg(kStamp));
    const QString archive = folder + "/" + QLatin1String(kind.archive);
    const QString command = QString::fromLatin1(kind.command).arg(shellQuote(archive));
    if (runShellIn(folder + "/src", command) != 0)
        return {};
    return made[kind.label] = archive;
}

std::optional<int> codeOf(const ArchiveReader &reader) {
    const auto error = reader.archiveError();
    return error ? std::optional<int>(error->code) : std::nullopt;
}

// Items whose content differs from the sample's (missing items are not counted).
QStringList wrongFiles(const QString &folder, bool tree) {
    QStringList wrong;
    for (const QString &path : filesBelow(folder)) {
        const auto expected = sample(tree).find(path);
        if (expected == sample(tree).end() ||
            (!path.endsWith('/') && readFile(folder + "/" + path) != expected->second))
            wrong.append(path);
    }
    return wrong;
}

class Conformance : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        archive_ = archiveOf(GetParam());
        ASSERT_FALSE(archive_.isEmpty());
    }
    // A reader of the archive (by default the kind's own) with a fresh tree.
    ArchiveReader &open(const QString &password, const QString &archive = {}) {
        root_ = ArchiveEntry::rootEntry();
        reader_ = GetParam().make(archive.isEmpty() ? archive_ : archive, root_.get(), password);
        return *reader_;
    }
    bool tree() const { return GetParam().tree; }

    QString archive_;
    std::unique_ptr<ArchiveEntry> root_;
    std::unique_ptr<ArchiveReader> reader_;
    ScratchDir dir_;
};

} // namespace

// Listed, the archive gives a file or a folder under its own name in the destination (which the
// document makes first).
TEST_P(Conformance, ListsEveryEntryAndExtractsASelectionUnderItsOwnName) {
    ArchiveReader &reader = open(QLatin1String(GetParam().password));
    // A cancelled look for encryption is no answer: the next one looks again.
    runOnThread([&] {
        QThread::currentThread()->requestInterruption();
        reader.isEncrypted();
    });
    reader.listEntries();
    EXPECT_FALSE(codeOf(reader));
    EXPECT_EQ(listedPaths(root_.get()), samplePaths(tree()));
    EXPECT_EQ(reader.isEncrypted(), *GetParam().password != '\0');
    const ArchiveEntry *big = findEntry(root_.get(), tree() ? "big.bin" : "data.bin");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->uncompressedSize(), quint64(kBigSize));
    if (tree()) {
        EXPECT_EQ(big->date(), QDateTime::fromSecsSinceEpoch(kStamp));
    }

    const QString folder = tree() ? "docs/sub/" : "data.bin";
    const QString file = tree() ? "docs/a.txt" : "data.bin";
    QDir().mkpath(dir_.file("folder"));
    QDir().mkpath(dir_.file("file"));
    reader.extract(findEntry(root_.get(), folder), dir_.file("folder"));
    reader.extract(findEntry(root_.get(), file), dir_.file("file"));
    EXPECT_FALSE(codeOf(reader));
    EXPECT_EQ(filesBelow(dir_.file("folder")),
              tree() ? QStringList({"sub/", "sub/b.txt"}) : QStringList({"data.bin"}));
    const QString name = QFileInfo(file).fileName();
    EXPECT_EQ(filesBelow(dir_.file("file")), QStringList({name}));
    EXPECT_EQ(readFile(dir_.file("file/" + name)), sample(tree()).at(file));
}

// Announced before the listing, the extraction may be done during it, with the same outcome.
TEST_P(Conformance, ExtractsTheWholeArchive) {
    for (const bool announced : {false, true}) {
        SCOPED_TRACE(announced ? "announced" : "after the listing");
        const QString into = dir_.file(announced ? "announced" : "after");
        QDir().mkpath(into);
        ArchiveReader &reader = open(QLatin1String(GetParam().password));
        if (announced)
            reader.extractWhileListing(into);
        reader.listEntries();
        // A decompressed tar was extracted as it came out (a gzip member decodes in one go
        // first).
        if (announced && dynamic_cast<CompressedFileReader *>(&reader) &&
            !dynamic_cast<GzipReader *>(&reader) && tree()) {
            EXPECT_EQ(filesBelow(into), samplePaths(tree()));
        }
        reader.extract(into);
        EXPECT_FALSE(codeOf(reader));
        EXPECT_EQ(filesBelow(into), samplePaths(tree()));
        EXPECT_EQ(wrongFiles(into, tree()), QStringList());
        if (tree()) {
            for (const char *path : {"big.bin", "docs/a.txt", "docs/sub/b.txt"})
                EXPECT_EQ(mtimeOf(into + "/" + path), kStamp) << path;
        }
    }
}

TEST_P(Conformance, ProgressOnlyGrowsAndAddsUpToTheBytesWritten) {
    ArchiveReader &reader = open(QLatin1String(GetParam().password));
    ProgressRecorder listing;
    reader.setProgressReceiver(&listing);
    runOnThread([&] { reader.listEntries(); });
    ProgressRecorder extraction;
    reader.setProgressReceiver(&extraction);
    runOnThread([&] { reader.extract(dir_.path()); });
    EXPECT_FALSE(codeOf(reader));

    // Positions are absolute: each at least the one before, none past the archive's end.
    for (const ProgressRecorder *recorder : {&listing, &extraction})
        EXPECT_TRUE(std::is_sorted(recorder->positions.cbegin(), recorder->positions.cend()));
    if (reader.reportsListingProgress()) {
        EXPECT_FALSE(listing.positions.isEmpty());
        for (const quint64 position : listing.positions)
            EXPECT_LE(position, quint64(QFileInfo(archive_).size()));
    }
    // Added amounts never exceed what was written, and what is left unreported after the last
    // one is less than one report.
    const quint64 written = tree() ? kBigSize + 6 + 5000 : kBigSize;
    const quint64 sum =
        std::accumulate(extraction.finished.cbegin(), extraction.finished.cend(), quint64(0));
    EXPECT_LE(sum, written);
    if (!reader.reportsListingProgress() || !extraction.finished.isEmpty()) {
        EXPECT_GE(sum + ReaderBase::kProgressThreshold, written);
    }
}

TEST_P(Conformance, CancelStopsAtTheFirstReportAndKeepsNoWrongFile) {
    ArchiveReader &reader = open(QLatin1String(GetParam().password));
    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    reader.setProgressReceiver(&cancelling);
    if (reader.reportsListingProgress()) {
        // Listing decompresses the whole stream: that is where the long work is.
        runOnThread([&] { reader.listEntries(); });
        EXPECT_EQ(codeOf(reader), int(ArchiveErrorCode::Cancelled));
        EXPECT_EQ(cancelling.positions.size(), 1);
        EXPECT_TRUE(root_->children().empty());
        return;
    }
    reader.listEntries();
    runOnThread([&] { reader.extract(dir_.path()); });
    EXPECT_EQ(codeOf(reader), int(ArchiveErrorCode::Cancelled));
    EXPECT_EQ(cancelling.finished.size() + cancelling.positions.size(), 1);
    // Stopped mid-file, or (when the cancel came as the file ended) the whole right file.
    const QByteArray written = readFile(dir_.file("big.bin"));
    EXPECT_TRUE(written.size() < kBigSize || written == noise(kBigSize, 7));
}

TEST_P(Conformance, AWrongPasswordIsReportedAndWritesNoWrongFile) {
    if (!*GetParam().password)
        GTEST_SKIP() << "not encrypted";
    ArchiveReader &reader = open(QStringLiteral("wrong"));
    reader.listEntries();
    reader.extract(dir_.path());
    ASSERT_TRUE(codeOf(reader));
    EXPECT_NE(codeOf(reader), int(ArchiveErrorCode::Cancelled));
    EXPECT_EQ(wrongFiles(dir_.path(), tree()), QStringList());
}

// A missing file and a file of other bytes under the kind's name are reported and write nothing.
// A copy cut in half is always reported; a copy with flipped bytes in the middle is reported when
// a CRC covers the data. Either way no file with wrong content is left behind.
TEST_P(Conformance, BadFilesAreReportedAndWriteNoWrongFile) {
    const QString name = QFileInfo(archive_).fileName();
    const QByteArray bytes = readFile(archive_);
    const struct {
        const char *label;
        std::optional<QByteArray> bytes; // none: no file at all
        bool mustReport;
        bool writesNothing;
    } bads[] = {
        {"missing", std::nullopt, true, true},
        {"foreign", noise(4096, 3), true, true},
        {"cut in half", bytes.left(bytes.size() / 2), true, false},
        {"middle flipped", flipped(bytes, bytes.size() / 2, 16), GetParam().checksData, false},
    };
    for (const auto &bad : bads) {
        SCOPED_TRACE(bad.label);
        const QString copy =
            bad.bytes ? dir_.write(name, *bad.bytes) : dir_.file("missing/" + name);
        const QString out = dir_.file(QStringLiteral("out-") + bad.label);
        QDir().mkpath(out);
        open(QLatin1String(GetParam().password), copy).listEntries();
        if (bad.writesNothing || !codeOf(*reader_))
            reader_->extract(out);
        if (bad.mustReport) {
            ASSERT_TRUE(codeOf(*reader_));
            EXPECT_NE(codeOf(*reader_), int(ArchiveErrorCode::Cancelled));
            EXPECT_FALSE(reader_->archiveError()->message.isEmpty());
            EXPECT_EQ(wrongFiles(out, tree()), QStringList());
        }
        if (bad.writesNothing) {
            EXPECT_EQ(filesBelow(out), QStringList());
        }
    }
}

namespace {

// One attack: files stored under stand-in names that then get the hostile names, and links.
struct Attack {
    const char *label;
    QList<QPair<QString, QString>> files; // stand-in, hostile name; "@" is the outside folder
    QList<QPair<QString, QString>> links; // link, target
};

const Attack kAttacks[] = {
    {"dot-dot", {{"x1", "../../evil.txt"}, {"x2", "a/../../../evil2.txt"}}, {}},
    {"absolute name", {{"x1", "@/absolute.txt"}}, {}},
    {"backslash dot-dot", {{"x1", "..\\..\\back.txt"}, {"x2", "ok\\..\\..\\back2.txt"}}, {}},
    {"through an absolute link", {{"x1", "abs/evil.txt"}}, {{"abs", "@"}}},
    {"through a relative link", {{"x1", "rel/evil.txt"}}, {{"rel", "../../outside"}}},
};

// The hostile copy of the kind, or an empty string when the tool failed.
QString makeHostile(const Kind &kind, const Attack &attack, const ScratchDir &dir) {
    const QString outside = dir.file("outside");
    QDir().mkpath(outside);
    const QString source = dir.file("src");
    QDir().mkpath(source);
    QStringList items;
    QStringList substitutions;
    QMap<QString, QString> names;
    for (const auto &[link, target] : attack.links) {
        QFile::link(QString(target).replace('@', outside), source + "/" + link);
        items.append(link);
    }
    for (const auto &[standIn, hostile] : attack.files) {
        dir.write("src/" + standIn, "evil\n");
        items.append(standIn);
        const QString name = QString(hostile).replace('@', outside);
        names.insert(standIn, name);
        substitutions.append(
            QStringLiteral("-s %1").arg(shellQuote(",^" + standIn + "$," + name + ",")));
    }
    const QString archive =
        dir.file(QStringLiteral("hostile.") + QFileInfo(kind.archive).completeSuffix());
    if (qstrcmp(kind.hostile, "rar") == 0)
        return makeRar(source, "-ol -qo-", archive, items.join(' ')) &&
                       editRarHeaders(archive, names)
                   ? archive
                   : QString();
    const QString command = QStringLiteral("bsdtar %1 -P -cf %2 %3 %4")
                                .arg(QLatin1String(kind.hostile), shellQuote(archive),
                                     substitutions.join(' '), items.join(' '));
    return runShellIn(source, command) == 0 ? archive : QString();
}

} // namespace

// Whole and entry by entry (as a selection of several entries is extracted), nothing lands
// outside the destination.
TEST_P(Conformance, PathAttacksStayInsideTheDestination) {
    if (!*GetParam().hostile)
        GTEST_SKIP() << "covered by a row of the same reader";
    for (const Attack &attack : kAttacks) {
        for (const bool whole : {true, false}) {
            SCOPED_TRACE(std::string(attack.label) + (whole ? ", whole" : ", each entry"));
            ScratchDir dir;
            const QString archive = makeHostile(GetParam(), attack, dir);
            ASSERT_FALSE(archive.isEmpty());
            open(QString(), archive).listEntries();
            const QString dest = dir.file("dest/deeper");
            QDir().mkpath(dest);
            if (whole)
                reader_->extract(dest);
            else
                for (const QString &path : listedPaths(root_.get()))
                    reader_->extract(findEntry(root_.get(), path), dest);
            EXPECT_EQ(filesBelow(dir.file("outside")), QStringList());
            EXPECT_EQ(namesIn(dir.path()),
                      QStringList({"dest", QFileInfo(archive).fileName(), "outside", "src"}));
            EXPECT_EQ(namesIn(dir.file("dest")), QStringList({"deeper"}));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Conformance, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &row) {
                             std::string name;
                             for (const char *c = row.param.label; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });
