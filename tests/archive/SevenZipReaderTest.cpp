#include "archive/SevenZipReader.h"

#include "ReaderTestKit.h"
#include "support/TestDirs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <clocale>

using namespace ReaderTestKit;

namespace {

constexpr qint64 kStamp = 1600000000;

struct Listing {
    std::unique_ptr<ArchiveEntry> root = ArchiveEntry::rootEntry();
    std::unique_ptr<SevenZipReader> reader;

    explicit Listing(const QString &archive)
        : reader(ReaderBase::create<SevenZipReader>(archive, root.get(), nullptr, QString())) {
        reader->listEntries();
    }
    std::optional<Error> error() const { return reader->archiveError(); }
    ArchiveEntry *entry(const QString &path) const { return findEntry(root.get(), path); }
};

// A folder with text files, a non-ASCII name, an empty folder and a nested folder, dated kStamp.
QString makeSourceTree(const ScratchDir &dir) {
    const QString script = QStringLiteral(R"(set -e
cd %1 && mkdir -p src/docs/deep src/empty && cd src
printf 'alpha\n' > docs/a.txt
seq 1 20000 > docs/numbers.txt
printf 'grüße' > 'docs/ünï.txt'
printf 'deep' > docs/deep/d.txt
find . -exec touch -d @%2 {} +
)")
                               .arg(shellQuote(dir.path()))
                               .arg(kStamp);
    EXPECT_EQ(runShell(script), 0);
    return dir.file(QStringLiteral("src"));
}

QString make7z(const ScratchDir &dir, const QString &name, const QString &options,
               const QString &inputs = QStringLiteral("docs empty")) {
    const QString archive = dir.file(name);
    EXPECT_EQ(runShell(QStringLiteral("cd %1 && 7zz a -bd -bso0 -bsp0 %2 %3 %4")
                           .arg(shellQuote(dir.file(QStringLiteral("src"))), options,
                                shellQuote(archive), inputs)),
              0);
    return archive;
}

const QStringList kExpectedItems = {"docs/",           "docs/a.txt",       "docs/deep/",
                                    "docs/deep/d.txt", "docs/numbers.txt", "docs/ünï.txt",
                                    "empty/"};

// Bytes read by this process so far: the measure of how often the archive was read.
quint64 bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = io.readLine(); !line.isEmpty(); line = io.readLine())
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toULongLong();
    return 0;
}

struct Method {
    const char *label;
    const char *options;
};

const Method kMethods[] = {
    {"lzma_solid", "-m0=LZMA -ms=on"},
    {"lzma2", "-m0=LZMA2 -ms=off"},
    {"ppmd", "-m0=PPMd"},
    {"bzip2", "-m0=BZip2"},
    {"deflate_bcj", "-m0=BCJ -m1=Deflate"},
};

// Runs the archives through the reader in the "C" locale, where libarchive would lose every
// non-ASCII name unless the reader asks for UTF-8 itself.
class SevenZipMethods : public ::testing::TestWithParam<Method> {
protected:
    void SetUp() override { setlocale(LC_CTYPE, "C"); }
    void TearDown() override { setlocale(LC_CTYPE, previous_.constData()); }
    const QByteArray previous_ = setlocale(LC_CTYPE, nullptr);
};

} // namespace

TEST_P(SevenZipMethods, ListsAndExtractsWithNamesFoldersAndDates) {
    ScratchDir dir;
    makeSourceTree(dir);
    const QString archive = make7z(dir, QStringLiteral("m.7z"), QLatin1String(GetParam().options));
    Listing listing(archive);
    EXPECT_FALSE(listing.error());
    EXPECT_EQ(listedPaths(listing.root.get()), kExpectedItems);
    const ArchiveEntry *numbers = listing.entry(QStringLiteral("docs/numbers.txt"));
    ASSERT_TRUE(numbers);
    EXPECT_EQ(numbers->uncompressedSize(),
              quint64(QFileInfo(dir.file("src/docs/numbers.txt")).size()));
    EXPECT_EQ(numbers->date(), QDateTime::fromSecsSinceEpoch(kStamp, QTimeZone::utc()));

    const QString dest = dir.file(QStringLiteral("out"));
    listing.reader->extract(dest);
    EXPECT_FALSE(listing.error());
    EXPECT_EQ(filesBelow(dest), kExpectedItems);
    for (const char *file : {"docs/a.txt", "docs/numbers.txt", "docs/ünï.txt", "docs/deep/d.txt"}) {
        const QString name = QString::fromUtf8(file);
        EXPECT_EQ(readFile(dest + "/" + name), readFile(dir.file("src/" + name))) << file;
        EXPECT_EQ(mtimeOf(dest + "/" + name), kStamp) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, SevenZipMethods, ::testing::ValuesIn(kMethods),
                         [](const auto &testInfo) { return std::string(testInfo.param.label); });

TEST(SevenZipSelection, FoldersAndFilesLandUnderTheirOwnNames) {
    ScratchDir dir;
    makeSourceTree(dir);
    Listing listing(make7z(dir, QStringLiteral("s.7z"), QStringLiteral("-ms=on")));
    struct Case {
        QString entry;
        QStringList expected;
    };
    const QList<Case> cases = {
        {QStringLiteral("docs/deep/"), {"deep/", "deep/d.txt"}},
        {QStringLiteral("docs/ünï.txt"), {"ünï.txt"}},
        {QStringLiteral("empty/"), {"empty/"}},
    };
    for (const Case &c : cases) {
        ScratchDir dest;
        listing.reader->extract(listing.entry(c.entry), dest.path());
        EXPECT_FALSE(listing.error()) << c.entry.toStdString();
        EXPECT_EQ(filesBelow(dest.path()), c.expected) << c.entry.toStdString();
    }
    // Two selections into one staging folder, the second under a non-ASCII destination.
    ScratchDir staging;
    const QString folder = staging.file(QStringLiteral("zielördner"));
    listing.reader->extract(listing.entry(QStringLiteral("docs/a.txt")), folder);
    listing.reader->extract(listing.entry(QStringLiteral("docs/deep/")), folder);
    EXPECT_EQ(filesBelow(folder), QStringList({"a.txt", "deep/", "deep/d.txt"}));
    EXPECT_EQ(readFile(folder + "/deep/d.txt"), "deep");
    EXPECT_EQ(mtimeOf(folder + "/deep"), kStamp);
    EXPECT_EQ(mtimeOf(folder + "/deep/d.txt"), kStamp);
}

TEST(SevenZipSelection, AFolderOfASolidArchiveIsDecodedOnce) {
    ScratchDir dir;
    ASSERT_EQ(runShell(QStringLiteral("cd %1 && mkdir -p src/big && for i in 1 2 3 4 5 6 7 8; "
                                      "do head -c 262144 /dev/urandom > src/big/f$i.bin; done")
                           .arg(shellQuote(dir.path()))),
              0);
    const QString archive = make7z(dir, QStringLiteral("solid.7z"), QStringLiteral("-ms=on -mx=1"),
                                   QStringLiteral("big"));
    const quint64 archiveSize = quint64(QFileInfo(archive).size());
    Listing listing(archive);
    ASSERT_EQ(listing.entry(QStringLiteral("big/"))->childCount(), 8);

    ScratchDir dest;
    const quint64 before = bytesRead();
    listing.reader->extract(listing.entry(QStringLiteral("big/")), dest.path());
    const quint64 read = bytesRead() - before;
    EXPECT_FALSE(listing.error());
    EXPECT_EQ(filesBelow(dest.path()).size(), 9);
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(readFile(dest.file(QStringLiteral("big/f%1.bin").arg(i))),
                  readFile(dir.file(QStringLiteral("src/big/f%1.bin").arg(i))));
    // One walk per file would read the solid block again for each: over four times the archive.
    EXPECT_LT(read, archiveSize * 3 / 2) << "read " << read << " of an archive of " << archiveSize;
}

TEST(SevenZipTimes, EntriesWithoutTimesKeepTheirCreationTime) {
    ScratchDir dir;
    makeSourceTree(dir);
    Listing listing(
        make7z(dir, QStringLiteral("t.7z"), QStringLiteral("-mtm=off -mtc=off -mta=off")));
    EXPECT_FALSE(listing.error());
    ASSERT_TRUE(listing.entry(QStringLiteral("docs/a.txt")));
    EXPECT_FALSE(listing.entry(QStringLiteral("docs/a.txt"))->date());
    ScratchDir dest;
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    listing.reader->extract(dest.path());
    EXPECT_FALSE(listing.error());
    EXPECT_GE(mtimeOf(dest.file(QStringLiteral("docs/a.txt"))), before - 5);
}

TEST(SevenZipFailures, EncryptionDamageAndForeignFilesAreReported) {
    ScratchDir dir;
    makeSourceTree(dir);
    const QString encrypted = make7z(dir, QStringLiteral("aes.7z"), QStringLiteral("-psecret"));
    Listing aes(encrypted);
    EXPECT_FALSE(aes.error()) << "the names are readable";
    EXPECT_FALSE(aes.reader->isEncrypted());
    EXPECT_EQ(listedPaths(aes.root.get()), kExpectedItems);
    ScratchDir aesOut;
    aes.reader->extract(aesOut.path());
    ASSERT_TRUE(aes.error());
    EXPECT_EQ(aes.error()->code, int(ArchiveErrorCode::Archive));
    EXPECT_TRUE(aes.error()->message.contains(QLatin1String("encrypted")));
    EXPECT_EQ(filesBelow(aesOut.path()), QStringList({"docs/", "docs/deep/", "empty/"}))
        << "no file stands for content that was never decoded";
    ScratchDir aesSingle;
    aes.reader->extract(aes.entry(QStringLiteral("docs/a.txt")), aesSingle.path());
    EXPECT_TRUE(aes.error() && aes.error()->message.contains(QLatin1String("encrypted")));

    const QByteArray whole = readFile(make7z(dir, QStringLiteral("plain.7z"), QString()));
    QByteArray damaged = whole;
    for (qsizetype i = 64; i < 160; ++i)
        damaged[i] = char(~damaged[i]);
    Listing broken(dir.write(QStringLiteral("damaged.7z"), damaged));
    ScratchDir brokenOut;
    broken.reader->extract(brokenOut.path());
    ASSERT_TRUE(broken.error());
    EXPECT_EQ(broken.error()->code, int(ArchiveErrorCode::Archive));

    const QString listingFailure = QStringLiteral("could not extract files from 7z archive");
    const QList<QString> unreadable = {
        make7z(dir, QStringLiteral("headers.7z"), QStringLiteral("-psecret -mhe=on")),
        dir.write(QStringLiteral("text.7z"), "not an archive"),
        dir.file(QStringLiteral("missing.7z")),
    };
    for (const QString &archive : unreadable) {
        Listing failed(archive);
        ASSERT_TRUE(failed.error()) << archive.toStdString();
        EXPECT_EQ(failed.error()->message, listingFailure);
    }
}

TEST(SevenZipHostileNames, NothingIsWrittenOutsideTheDestination) {
    ScratchDir dir;
    dir.write(QStringLiteral("in/f.txt"), "payload");
    const QString archive = dir.file(QStringLiteral("hostile.7z"));
    ASSERT_EQ(
        runShell(QStringLiteral("cd %1 && bsdtar --format 7zip -cf %2 -s ',^,../../,' in/f.txt "
                                "&& bsdtar --format 7zip -P -cf %3 %4")
                     .arg(shellQuote(dir.path()), shellQuote(archive),
                          shellQuote(dir.file(QStringLiteral("absolute.7z"))),
                          shellQuote(dir.file(QStringLiteral("in/f.txt"))))),
        0);
    for (const QString &path : {archive, dir.file(QStringLiteral("absolute.7z"))}) {
        Listing listing(path);
        EXPECT_FALSE(listing.error());
        const QString dest = dir.file(QStringLiteral("deep/er/dest"));
        listing.reader->extract(dest);
        EXPECT_FALSE(listing.error());
        const QStringList written = filesBelow(dest);
        ASSERT_FALSE(written.isEmpty());
        EXPECT_EQ(readFile(dest + "/" + written.last()), "payload");
        EXPECT_EQ(QDir(dir.file(QStringLiteral("deep")))
                      .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList({"er"}));
        QDir(dest).removeRecursively();
    }
}

TEST(SevenZipProgress, EveryChunkIsReportedAndCancellationStops) {
    ScratchDir dir;
    ASSERT_EQ(runShell(QStringLiteral("cd %1 && mkdir -p src/p && head -c 3000000 /dev/urandom > "
                                      "src/p/1.bin && head -c 3000000 /dev/urandom > src/p/2.bin")
                           .arg(shellQuote(dir.path()))),
              0);
    Listing listing(
        make7z(dir, QStringLiteral("p.7z"), QStringLiteral("-mx=1"), QStringLiteral("p")));
    ProgressRecorder progress;
    listing.reader->setProgressReceiver(&progress);
    ScratchDir whole;
    runOnThread([&] { listing.reader->extract(whole.path()); });
    EXPECT_FALSE(listing.error());
    quint64 total = 0;
    for (const quint64 chunk : progress.finished) {
        EXPECT_LE(chunk, 1024000u);
        total += chunk;
    }
    EXPECT_EQ(total, 6000000u);

    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    listing.reader->setProgressReceiver(&cancelling);
    ScratchDir stopped;
    runOnThread([&] { listing.reader->extract(stopped.path()); });
    ASSERT_TRUE(listing.error());
    EXPECT_EQ(listing.error()->code, int(ArchiveErrorCode::Cancelled));
    EXPECT_EQ(cancelling.finished.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(stopped.file(QStringLiteral("p/2.bin"))));
}
