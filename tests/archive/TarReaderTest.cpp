#include "archive/TarReader.h"

#include "ReaderTestKit.h"
#include "support/TestDirs.h"
#include "util/FileAttributes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <numeric>

using namespace ReaderTestKit;

namespace {

constexpr qint64 kStamp = 1600000000;
const QString kLongFolder = QString(60, QLatin1Char('L'));
const QString kLongFile = QString(80, QLatin1Char('F')) + QStringLiteral(".txt");
const QString kLongPath = QStringLiteral("dir/") + kLongFolder + QLatin1Char('/') + kLongFile;

// A reader with its own tree, listed once.
struct Listing {
    std::unique_ptr<ArchiveEntry> root = ArchiveEntry::rootEntry();
    std::unique_ptr<TarReader> reader;

    explicit Listing(const QString &archive, StringEncoding encoding = kAutomaticEncoding)
        : reader(ReaderBase::create<TarReader>(archive, root.get(), nullptr, QString(), encoding)) {
        reader->listEntries();
    }
    std::optional<int> errorCode() const {
        const auto error = reader->archiveError();
        return error ? std::optional<int>(error->code) : std::nullopt;
    }
    const ArchiveEntry *entry(const QString &path) const { return findEntry(root.get(), path); }
};

// The folder that every archiving tool below packs: files with modes, a folder, a long path,
// a symbolic link, a hard link and a FIFO, all dated kStamp.
QString makeSourceTree(const ScratchDir &dir) {
    const QString script = QStringLiteral(R"(set -e
cd %1 && mkdir -p src/dir/sub 'src/dir/%2' && cd src
printf 'alpha\n' > dir/a.txt && chmod 640 dir/a.txt
printf '#!/bin/sh\n' > dir/exec.sh && chmod 755 dir/exec.sh
printf 'long' > '%3'
printf 'unicode' > 'dir/ünï.txt'
ln -s a.txt dir/link && ln dir/a.txt dir/hard && mkfifo dir/fifo
find dir -exec touch -h -d @%4 {} +
)")
                               .arg(shellQuote(dir.path()), kLongFolder, kLongPath)
                               .arg(kStamp);
    EXPECT_EQ(runShell(script), 0);
    return dir.file(QStringLiteral("src"));
}

struct Creator {
    const char *label;
    // Run in the source folder with the archive path as $1.
    const char *command;
};

const Creator kCreators[] = {
    {"gnu_tar_gnu", "tar --format=gnu -cf \"$1\" dir"},
    {"gnu_tar_posix", "tar --format=posix -cf \"$1\" dir"},
    {"gnu_tar_ustar", "tar --format=ustar -cf \"$1\" dir"},
    {"bsdtar_pax", "bsdtar --format pax -cf \"$1\" dir"},
    {"bsdtar_ustar", "bsdtar --format ustar -cf \"$1\" dir"},
    {"python_pax", "python3 -c \"$PACK\" \"$1\" PAX_FORMAT"},
    {"python_gnu", "python3 -c \"$PACK\" \"$1\" GNU_FORMAT"},
    {"python_ustar", "python3 -c \"$PACK\" \"$1\" USTAR_FORMAT"},
};

class TarFormats : public ::testing::TestWithParam<Creator> {
protected:
    void SetUp() override {
        const QString source = makeSourceTree(dir_);
        archive_ = dir_.file(QStringLiteral("archive.tar"));
        // The python creators share one script, given the format's name.
        const QString pack = QStringLiteral("import sys, tarfile\n"
                                            "with tarfile.open(sys.argv[1], 'w', "
                                            "format=getattr(tarfile, sys.argv[2])) as t:\n"
                                            "    t.add('dir')\n");
        ASSERT_EQ(runShell(QStringLiteral("cd %1 && PACK=%2 sh -c %3 sh %4")
                               .arg(shellQuote(source), shellQuote(pack),
                                    shellQuote(GetParam().command), shellQuote(archive_))),
                  0);
    }
    ScratchDir dir_;
    QString archive_;
};

const QStringList kExpectedItems = {
    QStringLiteral("dir/"),
    QStringLiteral("dir/") + kLongFolder + QLatin1Char('/'),
    kLongPath,
    QStringLiteral("dir/a.txt"),
    QStringLiteral("dir/exec.sh"),
    QStringLiteral("dir/hard"),
    QStringLiteral("dir/link"),
    QStringLiteral("dir/sub/"),
    QStringLiteral("dir/ünï.txt"),
};

} // namespace

TEST_P(TarFormats, ListsEveryKindWithNamesSizesAndDates) {
    const Listing listing(archive_);
    EXPECT_FALSE(listing.errorCode());
    EXPECT_EQ(listedPaths(listing.root.get()), kExpectedItems);
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(kStamp, QTimeZone::utc());
    for (const QString &path : {QStringLiteral("dir/a.txt"), QStringLiteral("dir/hard")}) {
        const ArchiveEntry *file = listing.entry(path);
        ASSERT_TRUE(file) << path.toStdString();
        EXPECT_EQ(file->uncompressedSize(), 6u) << path.toStdString();
        EXPECT_EQ(file->date(), stamp) << path.toStdString();
    }
    ASSERT_TRUE(listing.entry(QStringLiteral("dir/link")));
    EXPECT_EQ(listing.entry(QStringLiteral("dir/link"))->linkTarget(), "a.txt");
    ASSERT_TRUE(listing.entry(QStringLiteral("dir/sub/")));
    EXPECT_EQ(listing.entry(QStringLiteral("dir/sub/"))->date(), stamp);
    ASSERT_TRUE(listing.entry(kLongPath));
    EXPECT_EQ(listing.entry(kLongPath)->uncompressedSize(), 4u);
}

TEST_P(TarFormats, ExtractsTheWholeArchiveWithModesDatesAndLinks) {
    Listing listing(archive_);
    const QString dest = dir_.file(QStringLiteral("out"));
    listing.reader->extract(dest);
    EXPECT_FALSE(listing.errorCode());
    EXPECT_EQ(filesBelow(dest), kExpectedItems) << "the FIFO is never created";
    EXPECT_EQ(readFile(dest + "/dir/a.txt"), "alpha\n");
    EXPECT_EQ(readFile(dest + "/dir/hard"), "alpha\n");
    EXPECT_EQ(readFile(dest + "/" + kLongPath), "long");
    EXPECT_EQ(readFile(dest + "/dir/ünï.txt"), "unicode");
    EXPECT_EQ(modeOf(dest + "/dir/a.txt"), unsigned(FileAttributes::restoredMode(0640)));
    EXPECT_EQ(modeOf(dest + "/dir/exec.sh"), unsigned(FileAttributes::restoredMode(0755)));
    EXPECT_EQ(QFileInfo(dest + "/dir/link").symLinkTarget(), dest + "/dir/a.txt");
    for (const QString &path :
         {QStringLiteral("dir/a.txt"), QStringLiteral("dir/sub"), QStringLiteral("dir")})
        EXPECT_EQ(mtimeOf(dest + "/" + path), kStamp) << path.toStdString();
}

TEST_P(TarFormats, ExtractsSelectedEntriesUnderTheirOwnNames) {
    Listing listing(archive_);
    struct Case {
        QString entry;
        QStringList expected;
    };
    const QList<Case> cases = {
        {kLongPath, {kLongFile}},
        {QStringLiteral("dir/") + kLongFolder + QLatin1Char('/'),
         {kLongFolder + QLatin1Char('/'), kLongFolder + QLatin1Char('/') + kLongFile}},
        {QStringLiteral("dir/sub/"), {QStringLiteral("sub/")}},
        {QStringLiteral("dir/hard"), {QStringLiteral("hard")}},
        {QStringLiteral("dir/link"), {QStringLiteral("link")}},
    };
    for (const Case &c : cases) {
        ArchiveEntry *node = findEntry(listing.root.get(), c.entry);
        ASSERT_TRUE(node) << c.entry.toStdString();
        ScratchDir dest;
        listing.reader->extract(node, dest.path());
        EXPECT_FALSE(listing.errorCode()) << c.entry.toStdString();
        EXPECT_EQ(filesBelow(dest.path()), c.expected) << c.entry.toStdString();
    }
    ScratchDir dest;
    listing.reader->extract(findEntry(listing.root.get(), QStringLiteral("dir/hard")), dest.path());
    EXPECT_EQ(readFile(dest.file(QStringLiteral("hard"))), "alpha\n");
    EXPECT_EQ(modeOf(dest.file(QStringLiteral("hard"))),
              unsigned(FileAttributes::restoredMode(0640)));
    EXPECT_EQ(mtimeOf(dest.file(QStringLiteral("hard"))), kStamp);
}

INSTANTIATE_TEST_SUITE_P(Tools, TarFormats, ::testing::ValuesIn(kCreators),
                         [](const auto &testInfo) { return std::string(testInfo.param.label); });

TEST(TarHostileNames, NothingIsWrittenOutsideTheDestination) {
    ScratchDir dir;
    const QString outside = dir.file(QStringLiteral("outside"));
    dir.write(QStringLiteral("outside/victim.txt"), "keep");
    const QString archive = dir.file(QStringLiteral("hostile.tar"));
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, tarfile
outside = %1
t = tarfile.open(%2, 'w', format=tarfile.GNU_FORMAT)
def add(name, kind=tarfile.REGTYPE, data=b'', link=''):
    info = tarfile.TarInfo(name); info.type = kind; info.size = len(data); info.linkname = link
    info.mtime = 1600000000
    t.addfile(info, io.BytesIO(data) if data else None)
add('../evil.txt', data=b'evil')
add('/abs.txt', data=b'abs')
add('a/../../up.txt', data=b'up')
add('esc', tarfile.SYMTYPE, link=outside)
add('esc/pwn.txt', data=b'pwn')
add('d/', tarfile.DIRTYPE)
add('d/in.txt', data=b'in')
add('d', tarfile.SYMTYPE, link=outside)
add('d/late.txt', data=b'late')
add('x', tarfile.SYMTYPE, link=outside + '/victim.txt')
add('x', data=b'fresh')
add('h1', tarfile.LNKTYPE, link='../outside/victim.txt')
add('h2', tarfile.LNKTYPE, link=outside + '/victim.txt')
add('h3', tarfile.LNKTYPE, link='evil.txt')
add('dev', tarfile.CHRTYPE)
add('blk', tarfile.BLKTYPE)
add('fifo', tarfile.FIFOTYPE)
t.close()
)")
                            .arg(shellQuote(outside), shellQuote(archive))),
              0);
    Listing listing(archive);
    EXPECT_FALSE(listing.errorCode());
    EXPECT_EQ(listedPaths(listing.root.get()),
              QStringList({"a/", "a/up.txt", "abs.txt", "d/", "d/in.txt", "d/late.txt", "esc",
                           "esc/", "esc/pwn.txt", "evil.txt", "h3", "x"}));

    const QString dest = dir.file(QStringLiteral("dest"));
    listing.reader->extract(dest);
    // Hard links to files outside the archive have nothing to copy.
    EXPECT_EQ(listing.errorCode(), int(ArchiveErrorCode::FailedToCreateFile));
    // Links leading outside are left out, so what follows them lands in plain folders.
    EXPECT_EQ(filesBelow(dest),
              QStringList({"a/", "a/up.txt", "abs.txt", "d/", "d/in.txt", "d/late.txt", "esc/",
                           "esc/pwn.txt", "evil.txt", "h3", "x"}));
    EXPECT_EQ(listing.reader->warnings().size(), 3);
    EXPECT_EQ(readFile(dest + "/evil.txt"), "evil");
    EXPECT_EQ(readFile(dest + "/h3"), "evil");
    EXPECT_EQ(readFile(dest + "/x"), "fresh");
    EXPECT_FALSE(QFileInfo(dest + "/x").isSymLink());
    EXPECT_EQ(filesBelow(outside), QStringList({"victim.txt"}));
    EXPECT_EQ(readFile(outside + "/victim.txt"), "keep");
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("evil.txt"))));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("up.txt"))));

    // Alone, the link is left out too.
    ScratchDir single;
    listing.reader->extract(findEntry(listing.root.get(), QStringLiteral("esc")), single.path());
    EXPECT_EQ(listing.reader->warnings(),
              ArchiveWarnings({{ArchiveWarning::Kind::LinkLeftOut, "esc"}}));
    listing.reader->extract(findEntry(listing.root.get(), QStringLiteral("esc/")), single.path());
    EXPECT_FALSE(listing.errorCode());
    EXPECT_EQ(filesBelow(outside), QStringList({"victim.txt"}));
}

TEST(TarNamesAndTimes, PaxKeywordsLongNamesAndTimesWin) {
    ScratchDir dir;
    const QString pax = dir.file(QStringLiteral("times.tar"));
    const QString gnu = dir.file(QStringLiteral("latin.tar"));
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, tarfile
def write(path, fmt, entries, **kw):
    t = tarfile.open(path, 'w', format=fmt, **kw)
    for name, mtime, kind in entries:
        info = tarfile.TarInfo(name); info.mtime = mtime; info.type = kind
        data = name.encode('utf-8') if kind == tarfile.REGTYPE else b''
        info.size = len(data)
        t.addfile(info, io.BytesIO(data))
    t.close()
write(%1, tarfile.PAX_FORMAT, [('zero.txt', 0, tarfile.REGTYPE),
    ('neg.txt', -86400, tarfile.REGTYPE), ('uni-\u015d.txt', 1600000000, tarfile.REGTYPE),
    ('p' * 120 + '/deep.txt', 1600000000, tarfile.REGTYPE)],
    pax_headers={'comment': 'a global header'})
write(%2, tarfile.GNU_FORMAT, [('caf\u00e9-' + 'n' * 110, 1600000000, tarfile.FIFOTYPE),
    ('next.txt', 1600000000, tarfile.REGTYPE), ('caf\u00e9.txt', -86400, tarfile.REGTYPE)],
    encoding='latin-1')
)")
                            .arg(shellQuote(pax), shellQuote(gnu))),
              0);
    const StringEncoding latin1 = StringEncodings::fromIANAName(QStringLiteral("ISO-8859-1"));
    const Listing paxListing(pax, latin1);
    EXPECT_FALSE(paxListing.errorCode());
    EXPECT_EQ(listedPaths(paxListing.root.get()),
              QStringList({"neg.txt", QString(120, 'p') + "/", QString(120, 'p') + "/deep.txt",
                           "uni-ŝ.txt", "zero.txt"}))
        << "pax names are UTF-8 whatever encoding was chosen";
    ASSERT_TRUE(paxListing.entry(QStringLiteral("zero.txt")));
    EXPECT_FALSE(paxListing.entry(QStringLiteral("zero.txt"))->date());
    ASSERT_TRUE(paxListing.entry(QStringLiteral("neg.txt")));
    EXPECT_EQ(paxListing.entry(QStringLiteral("neg.txt"))->date(),
              QDateTime(QDate(1969, 12, 31), QTime(0, 0), QTimeZone::utc()));

    const Listing gnuListing(gnu, latin1);
    EXPECT_FALSE(gnuListing.errorCode());
    EXPECT_EQ(listedPaths(gnuListing.root.get()), QStringList({"café.txt", "next.txt"}))
        << "a long name given to a FIFO is not passed on to the next entry";
    ASSERT_TRUE(gnuListing.entry(QStringLiteral("café.txt")));
    EXPECT_EQ(gnuListing.entry(QStringLiteral("café.txt"))->date(),
              QDateTime(QDate(1969, 12, 31), QTime(0, 0), QTimeZone::utc()));

    ScratchDir dest;
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    paxListing.reader->extract(dest.path());
    EXPECT_FALSE(paxListing.errorCode());
    EXPECT_GE(mtimeOf(dest.file(QStringLiteral("zero.txt"))), before - 5)
        << "no date: the file keeps the time it was written";
    EXPECT_EQ(mtimeOf(dest.file(QStringLiteral("neg.txt"))), -86400);
    EXPECT_EQ(readFile(dest.file(QString(120, 'p') + "/deep.txt")),
              (QString(120, 'p') + "/deep.txt").toUtf8());
}

TEST(TarSizes, EntriesBeyondEightGibibytesListAndTheWalkGoesOn) {
    ScratchDir dir;
    const QString gnu = dir.file(QStringLiteral("huge-gnu.tar"));
    const QString pax = dir.file(QStringLiteral("huge-pax.tar"));
    // Sparse files: the huge entry's data is never written, only skipped over.
    ASSERT_EQ(runPython(QStringLiteral(R"(
import tarfile
for path, fmt in ((%1, tarfile.GNU_FORMAT), (%2, tarfile.PAX_FORMAT)):
    with open(path, 'wb') as f:
        huge = tarfile.TarInfo('huge.bin'); huge.size = 9 * 2**30; huge.mtime = 1600000000
        f.write(huge.tobuf(fmt))
        f.seek(huge.size, 1)
        after = tarfile.TarInfo('after.txt'); after.size = 1; after.mtime = 1600000000
        f.write(after.tobuf(fmt) + b'x' + b'\0' * 511 + b'\0' * 1024)
)")
                            .arg(shellQuote(gnu), shellQuote(pax))),
              0);
    for (const QString &archive : {gnu, pax}) {
        const Listing listing(archive);
        EXPECT_FALSE(listing.errorCode()) << archive.toStdString();
        ASSERT_TRUE(listing.entry(QStringLiteral("huge.bin"))) << archive.toStdString();
        EXPECT_EQ(listing.entry(QStringLiteral("huge.bin"))->uncompressedSize(), 9ULL << 30);
        ASSERT_TRUE(listing.entry(QStringLiteral("after.txt"))) << archive.toStdString();
        ScratchDir dest;
        listing.reader->extract(findEntry(listing.root.get(), QStringLiteral("after.txt")),
                                dest.path());
        EXPECT_EQ(readFile(dest.file(QStringLiteral("after.txt"))), "x");
    }
}

TEST(TarDamage, UnknownRecordsTruncationAndEmptyFiles) {
    ScratchDir dir;
    const QString unknown = dir.file(QStringLiteral("unknown.tar"));
    const QString truncated = dir.file(QStringLiteral("truncated.tar"));
    const QString endOnly = dir.file(QStringLiteral("end-only.tar"));
    const QString cutHeader = dir.file(QStringLiteral("cut-header.tar"));
    const QString badChecksum = dir.file(QStringLiteral("bad-checksum.tar"));
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, os, tarfile
def write(path, entries):
    t = tarfile.open(path, 'w', format=tarfile.GNU_FORMAT)
    for name, kind, data in entries:
        info = tarfile.TarInfo(name); info.type = kind; info.size = len(data)
        t.addfile(info, io.BytesIO(data))
    t.close()
write(%1, [('a.txt', tarfile.REGTYPE, b'a'), ('bad', b'z', b''), ('c.txt', tarfile.REGTYPE, b'c')])
write(%2, [('big.bin', tarfile.REGTYPE, os.urandom(100000)), ('after.txt', tarfile.REGTYPE, b'x')])
os.truncate(%2, 50000)
write(%3, [])
write(%4, [('a.txt', tarfile.REGTYPE, b'a'), ('b.txt', tarfile.REGTYPE, b'b')])
os.truncate(%4, 1124)
write(%5, [('a.txt', tarfile.REGTYPE, b'a'), ('b.txt', tarfile.REGTYPE, b'b')])
with open(%5, 'r+b') as f:
    f.seek(1024 + 3); f.write(b'X')
)")
                            .arg(shellQuote(unknown), shellQuote(truncated), shellQuote(endOnly),
                                 shellQuote(cutHeader), shellQuote(badChecksum))),
              0);
    const QString empty = dir.write(QStringLiteral("empty.tar"), QByteArray());
    struct Case {
        QString archive;
        QStringList listed;
        std::optional<int> error;
        QStringList extracted;
    };
    const int issues = int(ArchiveErrorCode::Archive);
    const QList<Case> cases = {
        {unknown, {"a.txt"}, issues, {"a.txt"}},
        // A file cut short is not left half-written.
        {truncated, {"big.bin"}, issues, {}},
        {empty, {}, std::nullopt, {}},
        {endOnly, {}, std::nullopt, {}},
        {cutHeader, {"a.txt"}, issues, {"a.txt"}},
        {badChecksum, {"a.txt"}, issues, {"a.txt"}},
    };
    for (const Case &c : cases) {
        Listing listing(c.archive);
        EXPECT_EQ(listedPaths(listing.root.get()), c.listed) << c.archive.toStdString();
        EXPECT_EQ(listing.errorCode(), c.error) << c.archive.toStdString();
        ScratchDir dest;
        listing.reader->extract(dest.path());
        EXPECT_EQ(listing.errorCode(), c.error) << c.archive.toStdString();
        EXPECT_EQ(filesBelow(dest.path()), c.extracted) << c.archive.toStdString();
    }
    Listing missing(dir.file(QStringLiteral("missing.tar")));
    EXPECT_EQ(missing.errorCode(), int(ArchiveErrorCode::FailedOpenFile));
}

TEST(TarProgress, ReportsAddUpAndStopWhenCancelled) {
    ScratchDir dir;
    const QString archive = dir.file(QStringLiteral("two.tar"));
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, tarfile
t = tarfile.open(%1, 'w')
for name in ('first.bin', 'second.bin'):
    info = tarfile.TarInfo(name); info.size = 5000000
    t.addfile(info, io.BytesIO(b'\1' * info.size))
t.close()
)")
                            .arg(shellQuote(archive))),
              0);
    Listing listing(archive);
    ProgressRecorder progress;
    listing.reader->setProgressReceiver(&progress);
    ScratchDir dest;
    runOnThread([&] { listing.reader->extract(dest.path()); });
    EXPECT_FALSE(listing.errorCode());
    const quint64 sum =
        std::accumulate(progress.finished.cbegin(), progress.finished.cend(), quint64(0));
    EXPECT_LE(sum, 10000000u);
    EXPECT_GE(sum + ReaderBase::kProgressThreshold, 10000000u);
    EXPECT_EQ(QFileInfo(dest.file(QStringLiteral("second.bin"))).size(), 5000000);

    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    listing.reader->setProgressReceiver(&cancelling);
    ScratchDir stopped;
    runOnThread([&] { listing.reader->extract(stopped.path()); });
    EXPECT_EQ(listing.errorCode(), int(ArchiveErrorCode::Cancelled));
    EXPECT_EQ(cancelling.finished.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(stopped.file(QStringLiteral("second.bin"))));
}
