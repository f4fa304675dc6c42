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

#include <sys/stat.h>

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
    EXPECT_EQ(mtimeOf(dest + "/docs/deep"), kStamp);
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
    const QString encryptedFailure =
        QStringLiteral("The archive is encrypted, which is not supported");
    const QList<QPair<QString, QString>> unreadable = {
        {make7z(dir, QStringLiteral("headers.7z"), QStringLiteral("-psecret -mhe=on")),
         encryptedFailure},
        {dir.write(QStringLiteral("text.7z"), "not an archive"), listingFailure},
        {dir.write(QStringLiteral("cut.7z"), whole.left(whole.size() - 1)), listingFailure},
        {dir.file(QStringLiteral("missing.7z")), listingFailure},
    };
    for (const auto &[archive, message] : unreadable) {
        Listing failed(archive);
        ASSERT_TRUE(failed.error()) << archive.toStdString();
        EXPECT_EQ(failed.error()->code, int(ArchiveErrorCode::Archive));
        EXPECT_EQ(failed.error()->message, message);
        EXPECT_TRUE(failed.root->children().empty());
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

namespace {

// The process umask for the length of a test.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask)
        : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }

private:
    mode_t previous_;
};

} // namespace

TEST(SevenZipModes, PermissionBitsAreRestoredWithinTheUmask) {
    const UmaskScope umask(027);
    ScratchDir dir;
    ASSERT_EQ(runShell(QStringLiteral("cd %1 && mkdir -p src/m/closed src/m/open && cd src/m && "
                                      "for f in plain tool setuid secret; do echo x > $f; done && "
                                      "chmod 644 plain && chmod 755 tool && chmod 4755 setuid && "
                                      "chmod 400 secret && chmod 500 closed && chmod 777 open")
                           .arg(shellQuote(dir.path()))),
              0);
    const QString stored = make7z(dir, QStringLiteral("modes.7z"), QString(), QStringLiteral("m"));
    // Without attributes 7-Zip stores no Unix mode at all.
    const QString bare =
        make7z(dir, QStringLiteral("bare.7z"), QStringLiteral("-mtr=off"), QStringLiteral("m"));
    struct Case {
        QString archive;
        const char *path;
        unsigned mode;
    };
    const QList<Case> cases = {
        {stored, "m/plain", 0640},  {stored, "m/tool", 0750},   {stored, "m/setuid", 0750},
        {stored, "m/secret", 0600}, {stored, "m/closed", 0700}, {stored, "m/open", 0750},
        {bare, "m/tool", 0640},     {bare, "m/secret", 0640},   {bare, "m/closed", 0750},
    };
    for (const QString &archive : {stored, bare}) {
        Listing listing(archive);
        ScratchDir whole;
        ScratchDir selected;
        listing.reader->extract(whole.path());
        EXPECT_FALSE(listing.error());
        listing.reader->extract(listing.entry(QStringLiteral("m/")), selected.path());
        EXPECT_FALSE(listing.error());
        for (const Case &c : cases) {
            if (c.archive != archive)
                continue;
            const QString path = QString::fromLatin1(c.path);
            EXPECT_EQ(modeOf(whole.file(path)), c.mode)
                << c.path << " in " << archive.toStdString();
            EXPECT_EQ(modeOf(selected.file(path)), c.mode)
                << c.path << " selected in " << archive.toStdString();
        }
    }
}

TEST(SevenZipLinks, LinksInsideTheDestinationAreMadeTheOthersSkipped) {
    ScratchDir dir;
    ASSERT_EQ(
        runShell(QStringLiteral("cd %1 && mkdir -p src/l/sub && cd src/l && echo a > a.txt && "
                                "ln -s a.txt same && ln -s ../a.txt sub/up && ln -s .. top && "
                                "ln -s ../../outside.txt esc && ln -s /etc/hosts abs && "
                                "ln -s same/../a.txt after")
                     .arg(shellQuote(dir.path()))),
        0);
    Listing listing(
        make7z(dir, QStringLiteral("links.7z"), QStringLiteral("-snl"), QStringLiteral("l")));
    ASSERT_FALSE(listing.error());
    struct Case {
        const char *path;
        const char *target;
        bool made;
    };
    const Case cases[] = {
        {"l/same", "a.txt", true},
        {"l/sub/up", "../a.txt", true},
        {"l/top", "..", true},
        {"l/esc", "../../outside.txt", false},
        {"l/abs", "/etc/hosts", false},
        // ".." after a name climbs from wherever a link of that name leads.
        {"l/after", "same/../a.txt", false},
    };
    ScratchDir whole;
    listing.reader->extract(whole.path());
    EXPECT_FALSE(listing.error());
    ScratchDir selected;
    const SevenZipReader &reader = *listing.reader;
    const ArchiveWarnings skippedWhole = reader.warnings();
    listing.reader->extract(listing.entry(QStringLiteral("l/")), selected.path());
    EXPECT_FALSE(listing.error());
    for (const auto &[dest, skipped] :
         {std::pair(whole.path(), skippedWhole), std::pair(selected.path(), reader.warnings())}) {
        for (const Case &c : cases) {
            const QString path = dest + "/" + QString::fromLatin1(c.path);
            const ArchiveEntry *entry = listing.entry(QString::fromLatin1(c.path));
            ASSERT_TRUE(entry) << c.path;
            EXPECT_EQ(entry->linkTarget(), QString::fromLatin1(c.target)) << c.path;
            const QFileInfo info(path);
            if (c.made) {
                EXPECT_TRUE(info.isSymLink()) << c.path;
                EXPECT_EQ(info.symLinkTarget(),
                          QDir::cleanPath(info.absolutePath() + "/" + c.target))
                    << c.path;
            } else {
                EXPECT_FALSE(info.isSymLink() || info.exists()) << c.path;
            }
            const ArchiveWarning warning{ArchiveWarning::Kind::LinkLeftOut,
                                         QString::fromLatin1(c.path)};
            EXPECT_EQ(skipped.contains(warning), !c.made) << c.path;
        }
        EXPECT_EQ(readFile(dest + "/l/same"), "a\n");
        EXPECT_EQ(readFile(dest + "/l/sub/up"), "a\n");
    }
}

TEST(SevenZipVolumeSets, AnyPartOpensTheSetAndAMissingPartIsNamed) {
    ScratchDir dir;
    ASSERT_EQ(runShell(QStringLiteral("cd %1 && mkdir -p src/v && head -c 300000 /dev/urandom > "
                                      "src/v/big.bin && echo small > src/v/small.txt && cd src && "
                                      "7zz a -bd -bso0 -bsp0 -mx=1 -v100k ../v.7z v")
                           .arg(shellQuote(dir.path()))),
              0);
    ASSERT_TRUE(QFileInfo::exists(dir.file(QStringLiteral("v.7z.003"))));
    ASSERT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("v.7z.004"))));
    struct Case {
        const char *opened;
        const char *removed;
        const char *missing;
    };
    const Case cases[] = {
        {"v.7z.001", "", ""},
        {"v.7z.002", "", ""},
        {"v.7z.003", "", ""},
        {"v.7z.001", "v.7z.002", "v.7z.002"},
        {"v.7z.003", "v.7z.001", "v.7z.001"},
        {"v.7z.001", "v.7z.003", "v.7z.003"},
    };
    for (const Case &c : cases) {
        const std::string label = std::string(c.opened) + " without " + c.removed;
        ScratchDir set;
        for (const char *part : {"v.7z.001", "v.7z.002", "v.7z.003"}) {
            if (qstrcmp(part, c.removed) != 0) {
                ASSERT_TRUE(QFile::copy(dir.file(part), set.file(part)));
            }
        }
        Listing listing(set.file(c.opened));
        ScratchDir out;
        listing.reader->extract(out.path());
        if (*c.missing) {
            ASSERT_TRUE(listing.error()) << label;
            EXPECT_EQ(listing.error()->code, int(ArchiveErrorCode::FailedOpenFile)) << label;
            EXPECT_TRUE(listing.error()->message.contains(c.missing))
                << label << ": " << listing.error()->message.toStdString();
            EXPECT_TRUE(filesBelow(out.path()).isEmpty()) << label;
            continue;
        }
        EXPECT_FALSE(listing.error()) << label;
        EXPECT_EQ(listedPaths(listing.root.get()), QStringList({"v/", "v/big.bin", "v/small.txt"}))
            << label;
        for (const char *file : {"v/big.bin", "v/small.txt"})
            EXPECT_EQ(readFile(out.file(file)), readFile(dir.file(QStringLiteral("src/") + file)))
                << label << " " << file;
    }
}
