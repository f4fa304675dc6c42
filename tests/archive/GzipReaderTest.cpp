#include "archive/GzipReader.h"
#include "archive/Bzip2Reader.h"

#include "ReaderTestKit.h"
#include "support/HostileArchives.h"
#include "support/TestDirs.h"
#include "util/PathUtil.h"
#include "util/TempFolders.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace ReaderTestKit;

namespace {

// One compressed format: its tool, its extensions and its reader.
struct Format {
    const char *label;
    const char *compressor; // reads stdin, writes stdout
    const char *plainExtension;
    const char *tarExtension;
    std::unique_ptr<CompressedFileReader> (*make)(const QString &path, ArchiveEntry *root);
};

template <class Reader>
std::unique_ptr<CompressedFileReader> makeReader(const QString &path, ArchiveEntry *root) {
    return ReaderBase::create<Reader>(path, root, nullptr, QString());
}

const Format kFormats[] = {
    {"gzip", "gzip -c", "gz", "tgz", makeReader<GzipReader>},
    {"bzip2", "bzip2 -c", "bz2", "tbz2", makeReader<Bzip2Reader>},
};

std::optional<int> errorCodeOf(const ArchiveReader &reader) {
    const auto error = reader.archiveError();
    return error ? std::optional<int>(error->code) : std::nullopt;
}

class CompressedFiles : public ::testing::TestWithParam<Format> {
protected:
    // The bytes compressed by the format's tool into a file of that name.
    QString compress(const QString &name, const QByteArray &content) {
        const QString plain = dir_.write(QStringLiteral("plain.bin"), content);
        const QString archive = dir_.file(name);
        EXPECT_EQ(runShell(QStringLiteral("%1 < %2 > %3")
                               .arg(QLatin1String(GetParam().compressor), shellQuote(plain),
                                    shellQuote(archive))),
                  0);
        return archive;
    }
    QString extension(bool tar) const {
        return QLatin1String(tar ? GetParam().tarExtension : GetParam().plainExtension);
    }
    std::unique_ptr<CompressedFileReader> open(const QString &archive) {
        return GetParam().make(archive, root_.get());
    }
    // A tar made by python, as bytes: two small files, or six of 60 KB random data (several
    // entries decompress and are listed before damage in the middle shows).
    QByteArray tarBytes(bool large = false) {
        const QString tar = dir_.file(QStringLiteral("made.tar"));
        EXPECT_EQ(runPython(QStringLiteral(R"(
import io, random, tarfile
files = [('docs/a.txt', b'alpha'), ('docs/b.txt', b'beta')]
if %2:
    files = [('part%d.bin' % i, random.Random(i).randbytes(60000)) for i in range(6)]
t = tarfile.open(%1, 'w')
for name, data in files:
    info = tarfile.TarInfo(name); info.size = len(data); info.mtime = 1600000000
    t.addfile(info, io.BytesIO(data))
t.close()
)")
                                .arg(shellQuote(tar), large ? "True" : "False")),
                  0);
        return readFile(tar);
    }

    ScratchDir dir_;
    std::unique_ptr<ArchiveEntry> root_ = ArchiveEntry::rootEntry();
};

} // namespace

TEST_P(CompressedFiles, TarContentIsListedAndExtractedEntryByEntry) {
    const QByteArray tar = tarBytes();
    for (const QString &name : {QStringLiteral("pack.tar.") + extension(false),
                                QStringLiteral("pack.") + extension(true)}) {
        root_ = ArchiveEntry::rootEntry();
        auto reader = open(compress(name, tar));
        reader->listEntries();
        EXPECT_FALSE(errorCodeOf(*reader)) << name.toStdString();
        EXPECT_EQ(PathUtil::fileName(reader->tempFile()), "pack.tar") << name.toStdString();
        EXPECT_EQ(listedPaths(root_.get()), QStringList({"docs/", "docs/a.txt", "docs/b.txt"}));

        ScratchDir whole;
        reader->extract(whole.path());
        EXPECT_EQ(readFile(whole.file(QStringLiteral("docs/b.txt"))), "beta");
        ScratchDir single;
        reader->extract(findEntry(root_.get(), QStringLiteral("docs/a.txt")), single.path());
        EXPECT_EQ(filesBelow(single.path()), QStringList({"a.txt"}));
        EXPECT_EQ(mtimeOf(single.file(QStringLiteral("a.txt"))), 1600000000);
    }
}

TEST_P(CompressedFiles, OtherContentIsOneEntryCopiedToAFreeName) {
    struct Case {
        QString archiveName;
        QByteArray content;
        QString entryName;
        // The second extraction into the same folder finds the name taken.
        QStringList extracted;
    };
    const QList<Case> cases = {
        {QStringLiteral("notes.txt.") + extension(false),
         "some notes",
         QStringLiteral("notes.txt"),
         {"notes 2.txt", "notes.txt"}},
        // The content is not examined: a tar inside a plain name stays one entry.
        {QStringLiteral("bundle.") + extension(false),
         tarBytes(),
         QStringLiteral("bundle"),
         {"bundle", "bundle 2"}},
        {QStringLiteral("nothing.") + extension(false),
         QByteArray(),
         QStringLiteral("nothing"),
         {"nothing", "nothing 2"}},
    };
    for (const Case &c : cases) {
        root_ = ArchiveEntry::rootEntry();
        const QString archive = compress(c.archiveName, c.content);
        auto reader = open(archive);
        reader->listEntries();
        EXPECT_FALSE(errorCodeOf(*reader)) << c.archiveName.toStdString();
        ASSERT_EQ(listedPaths(root_.get()), QStringList({c.entryName}));
        const ArchiveEntry *entry = findEntry(root_.get(), c.entryName);
        EXPECT_EQ(entry->uncompressedSize(), quint64(c.content.size()));
        EXPECT_EQ(entry->compressedSize(), quint64(QFileInfo(archive).size()));

        ScratchDir dest;
        reader->extract(findEntry(root_.get(), c.entryName), dest.path());
        reader->extract(dest.path());
        EXPECT_FALSE(errorCodeOf(*reader));
        EXPECT_EQ(filesBelow(dest.path()), c.extracted) << c.archiveName.toStdString();
        for (const QString &name : c.extracted)
            EXPECT_EQ(readFile(dest.file(name)), c.content) << name.toStdString();
    }
}

TEST_P(CompressedFiles, ConcatenatedStreamsDecodeWhole) {
    // Small streams: the second lies entirely in the bytes read ahead for the first.
    const QString first = compress(QStringLiteral("one.") + extension(false), "first part, ");
    const QString second = compress(QStringLiteral("two.") + extension(false), "second part");
    const QString joined = dir_.write(QStringLiteral("joined.txt.") + extension(false),
                                      readFile(first) + readFile(second));
    auto reader = open(joined);
    reader->listEntries();
    EXPECT_FALSE(errorCodeOf(*reader));
    EXPECT_EQ(readFile(reader->tempFile()), "first part, second part");
}

TEST_P(CompressedFiles, DamageIsReportedAndNeverReusedAsComplete) {
    QByteArray random(300000, Qt::Uninitialized);
    for (qsizetype i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + (i >> 5) * 104729) & 0xFF);
    const QDir temporaries(TempFolders::root());
    const QStringList before = temporaries.entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    // A tar's headers are read while it decompresses: what was listed before the damage showed
    // must not stay. (A stream merely cut short keeps its complete entries: CutCompressedTest.)
    for (const bool tar : {false, true}) {
        const QByteArray whole =
            readFile(compress(QStringLiteral("whole.bin"), tar ? tarBytes(true) : random));
        QByteArray corrupt = whole;
        for (qsizetype i = whole.size() / 2; i < whole.size() / 2 + 64; ++i)
            corrupt[i] = char(~corrupt[i]);
        const QList<QPair<const char *, QByteArray>> cases = {
            {"corrupt", corrupt},
            {"no stream at all", QByteArray("this is not compressed at all").repeated(4)},
        };
        for (const auto &[label, bytes] : cases) {
            const std::string context = std::string(label) + (tar ? " tar" : " plain");
            root_ = ArchiveEntry::rootEntry();
            auto reader = open(dir_.write(QStringLiteral("damaged.") + extension(tar), bytes));
            reader->listEntries();
            EXPECT_EQ(errorCodeOf(*reader), int(ArchiveErrorCode::Archive)) << context;
            // Damage that leaves the stream wanting more data reads as a cut (gzip -t says the
            // same), which keeps what came before it.
            const bool kept = reader->keepsWhatWasRead();
            EXPECT_EQ(root_->children().empty(), !kept) << context;
            EXPECT_EQ(reader->tempFile().isEmpty(), !kept) << context;
            ScratchDir dest;
            reader->extract(dest.path());
            EXPECT_EQ(errorCodeOf(*reader), int(ArchiveErrorCode::Archive)) << context;
            EXPECT_EQ(filesBelow(dest.path()).isEmpty(), !kept) << context;
            reader->removeTempFile();
        }
    }
    EXPECT_EQ(temporaries.entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before)
        << "failed decompressions leave no temporary folder";
}

TEST_P(CompressedFiles, LargeTarListsWhileItDecompresses) {
    const QByteArray tar = tarBytes(true);
    auto reader = open(compress(QStringLiteral("parts.") + extension(true), tar));
    reader->listEntries();
    EXPECT_FALSE(errorCodeOf(*reader));
    EXPECT_EQ(listedPaths(root_.get()), QStringList({"part0.bin", "part1.bin", "part2.bin",
                                                     "part3.bin", "part4.bin", "part5.bin"}));
    EXPECT_EQ(readFile(reader->tempFile()), tar);
    ScratchDir dest;
    reader->extract(dest.path());
    EXPECT_FALSE(errorCodeOf(*reader));
    EXPECT_EQ(readFile(dest.file(QStringLiteral("part5.bin"))),
              tar.mid(5 * (512 + 60416) + 512, 60000));
}

TEST_P(CompressedFiles, ProgressIsTheReadPositionAndCancellationKeepsNothing) {
    const QByteArray content(12 * 1024 * 1024, 'k');
    const QString archive = compress(QStringLiteral("big.txt.") + extension(false), content);
    const quint64 archiveSize = quint64(QFileInfo(archive).size());
    auto reader = open(archive);

    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    reader->setProgressReceiver(&cancelling);
    runOnThread([&] { reader->listEntries(); });
    EXPECT_EQ(errorCodeOf(*reader), int(ArchiveErrorCode::Cancelled));
    EXPECT_EQ(cancelling.positions.size(), 1);
    EXPECT_TRUE(reader->tempFile().isEmpty());
    EXPECT_TRUE(root_->children().empty());

    ProgressRecorder progress;
    reader->setProgressReceiver(&progress);
    runOnThread([&] { reader->listEntries(); });
    EXPECT_FALSE(errorCodeOf(*reader));
    ASSERT_EQ(listedPaths(root_.get()), QStringList({"big.txt"}));
    EXPECT_EQ(findEntry(root_.get(), QStringLiteral("big.txt"))->uncompressedSize(),
              quint64(content.size()))
        << "the cancelled attempt's partial file was not taken for the whole";
    // One report per threshold's worth of decompressed bytes, each an absolute position.
    EXPECT_EQ(progress.positions.size(), qsizetype(content.size() / 4048001));
    for (qsizetype i = 0; i < progress.positions.size(); ++i) {
        EXPECT_LE(progress.positions[i], archiveSize);
        if (i > 0) {
            EXPECT_GE(progress.positions[i], progress.positions[i - 1]);
        }
    }
    EXPECT_TRUE(progress.finished.isEmpty());
}

TEST_P(CompressedFiles, ATemporaryFileThatCannotBeWrittenFailsTheListingCleanly) {
    QByteArray content(3 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char((i * 7919 + (i >> 7) * 31) & 0xFF);
    const QDir temporaries(TempFolders::root());
    const QStringList before = temporaries.entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    // The plain file is written by the decompressing thread, the tar by a thread of its own.
    for (const bool tar : {false, true}) {
        root_ = ArchiveEntry::rootEntry();
        auto reader = open(compress(QStringLiteral("big.") + extension(tar),
                                    tar ? tarBytes(true) + content : content));
        {
            const FileSizeLimit limit(256 * 1024);
            reader->listEntries();
        }
        // The temporary file is written on another thread, whose errno the reader may not see.
        EXPECT_TRUE(errorCodeOf(*reader) == int(ArchiveErrorCode::DiskFull) ||
                    errorCodeOf(*reader) == int(ArchiveErrorCode::FailedToCreateFile))
            << tar;
        EXPECT_TRUE(root_->children().empty()) << tar;
        EXPECT_TRUE(reader->tempFile().isEmpty()) << tar;
    }
    EXPECT_EQ(temporaries.entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
}

TEST_P(CompressedFiles, CancelledTarListingKeepsNothing) {
    const QString tar = dir_.file(QStringLiteral("big.tar"));
    ASSERT_EQ(runPython(QStringLiteral(R"(
import io, tarfile
t = tarfile.open(%1, 'w')
for i in range(3):
    info = tarfile.TarInfo('part%d.txt' % i); info.size = 6 * 1024 * 1024
    t.addfile(info, io.BytesIO(b'k' * info.size))
t.close()
)")
                            .arg(shellQuote(tar))),
              0);
    auto reader = open(compress(QStringLiteral("big.") + extension(true), readFile(tar)));
    ProgressRecorder cancelling;
    cancelling.cancelOnReport = true;
    reader->setProgressReceiver(&cancelling);
    runOnThread([&] { reader->listEntries(); });
    EXPECT_EQ(errorCodeOf(*reader), int(ArchiveErrorCode::Cancelled));
    EXPECT_TRUE(reader->tempFile().isEmpty());
    EXPECT_TRUE(root_->children().empty()) << "the part listed before the cancel is dropped";

    ProgressRecorder progress;
    reader->setProgressReceiver(&progress);
    runOnThread([&] { reader->listEntries(); });
    EXPECT_FALSE(errorCodeOf(*reader));
    EXPECT_EQ(listedPaths(root_.get()), QStringList({"part0.txt", "part1.txt", "part2.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Formats, CompressedFiles, ::testing::ValuesIn(kFormats),
                         [](const auto &testInfo) { return std::string(testInfo.param.label); });
