#include "DocumentFixture.h"
#include "document/ArchiveSession.h"
#include "document/ListingFeed.h"
#include "settings/Preferences.h"
#include "util/FileAttributes.h"

namespace {

const QString kPasswordMessage = QStringLiteral("Please input the password to extract file");

struct KindCase {
    const char *archive;
    // Run in the scratch folder, whose "src" holds docs/a.txt, docs/b.txt and top.txt.
    const char *make;
    bool determinate;
    // What extracting the whole archive puts beside it: a folder, or top.txt when the archive
    // holds that one file.
    const char *placed;
};

void PrintTo(const KindCase &kind, std::ostream *out) {
    *out << kind.archive;
}

class OpeningEachKind : public DocumentTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(OpeningEachKind, ListsOnTheWorkerThenExtractsBesideTheArchive) {
    const KindCase &kind = GetParam();
    const bool oneFile = kind.placed == QLatin1String("top.txt");
    dir_.write("src/docs/a.txt", "alpha");
    dir_.write("src/docs/b.txt", "beta");
    dir_.write("src/top.txt", "top");
    shell(kind.make);
    open(kind.archive);

    EXPECT_TRUE(document_.isViewing());
    EXPECT_EQ(topEntries(), (oneFile ? QStringList{"top.txt"} : QStringList{"docs", "top.txt"}));
    EXPECT_EQ(ui_.callsStartingWith("sheet:"),
              QStringList{kind.determinate ? "sheet:determinate" : "sheet:indeterminate"});
    if (kind.determinate) {
        EXPECT_EQ(ui_.maxValues.first(), FileAttributes::fileSize(dir_.file(kind.archive)));
    }
    EXPECT_TRUE(ui_.calls.contains("top:Loading..."));
    EXPECT_EQ(ui_.calls.mid(ui_.calls.indexOf("hide:0")),
              (QStringList{"hide:0", "listed", "encoding", "toolbar"}))
        << "no alert and, by default, no automatic extraction";

    ui_.calls.clear();
    run(&ArchiveDocument::extractAll);
    EXPECT_EQ(read(oneFile ? "top.txt" : kind.placed + QStringLiteral("/top.txt")), "top");
    EXPECT_EQ(ui_.callsStartingWith("hide:"), QStringList{"hide:10000"});
    EXPECT_TRUE(ui_.calls.contains("close")) << "closing after extraction is on by default";
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
}

class DocumentOpening : public DocumentTest {};

INSTANTIATE_TEST_SUITE_P(
    Kinds, OpeningEachKind,
    ::testing::Values(
        KindCase{"k.zip", "cd src && zip -qr ../k.zip docs top.txt", false, "k"},
        KindCase{"Photos.CBZ", "cd src && zip -qr ../Photos.CBZ docs top.txt", false, "Photos"},
        KindCase{"k.7z.001", "cd src && 7zz a -bso0 -bsp0 -v100b ../k.7z docs top.txt", false, "k"},
        KindCase{"k.tgz", "bsdtar -czf k.tgz -C src docs top.txt", true, "k"},
        KindCase{"k.tar.bz2", "bsdtar -cjf k.tar.bz2 -C src docs top.txt", true, "k"},
        KindCase{"top.txt.gz", "gzip -c src/top.txt > top.txt.gz", true, "top.txt"},
        KindCase{"top.txt.bz2", "bzip2 -c src/top.txt > top.txt.bz2", true, "top.txt"}));

TEST_F(DocumentOpening, AFileOfNoArchiveKindListsNothingAndExtractsNothing) {
    dir_.write("notes.txt", "plain");
    open("notes.txt");
    EXPECT_TRUE(document_.isViewing());
    EXPECT_EQ(document_.reader(), nullptr);
    EXPECT_TRUE(topEntries().isEmpty());
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
    ui_.calls.clear();
    run(&ArchiveDocument::extractAll);
    EXPECT_TRUE(ui_.calls.isEmpty());
    EXPECT_EQ(namesIn(), QStringList{"notes.txt"});
}

TEST_F(DocumentOpening, AListingErrorIsShownAndNothingIsExtractedAfterIt) {
    Preferences::setAutoExtractOnOpen(true);
    // A zip's signature, then nothing a zip reader can use.
    dir_.write("bad.zip", QByteArray("PK\x03\x04", 4) + QByteArray(4092, 'z'));
    open("bad.zip");
    EXPECT_EQ(ui_.callsStartingWith("alert:").size(), 1);
    EXPECT_FALSE(ui_.calls.contains("hide:10000"));
    EXPECT_EQ(namesIn(), QStringList{"bad.zip"});
}

// Giving up at the prompt leaves an empty tree without alert or extraction; the password that
// lists the entries serves the extraction too.
TEST_F(DocumentOpening, EncryptedRarNamesAskUntilThePasswordListsEntries) {
    Preferences::setAutoExtractOnOpen(true);
    dir_.write("src/docs/a.txt", "alpha");
    shell("cd src && rar a -idq -hpsecret ../k.rar docs");
    for (const std::optional<QString> &answer :
         {std::optional<QString>(), std::optional(QString())}) {
        ui_.calls.clear();
        ui_.passwords = {answer};
        open("k.rar");
        EXPECT_EQ(ui_.callsStartingWith("password:").size(), 1);
        EXPECT_TRUE(topEntries().isEmpty());
        EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
        EXPECT_EQ(ui_.callsStartingWith("hide:"), QStringList{"hide:0"});
        EXPECT_EQ(namesIn(), (QStringList{"k.rar", "src"}));
    }

    ui_.calls.clear();
    ui_.passwords = {"wrong", "secret"};
    open("k.rar");
    EXPECT_EQ(ui_.callsStartingWith("password:"),
              (QStringList{"password:" + kPasswordMessage, "password:" + kPasswordMessage}));
    EXPECT_EQ(topEntries(), QStringList{"docs"});
    EXPECT_EQ(document_.session()->confirmedPassword(), "secret");
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
    EXPECT_EQ(read("docs/a.txt"), "alpha") << "extracted after listing, asking nothing more";
}

TEST_F(DocumentOpening, CancellingTheListingSkipsTheAfterListingStep) {
    Preferences::setAutoExtractOnOpen(true);
    dir_.write("big.bin", noise(8 << 20, 4));
    // Two members take the stream, which reports as it goes; one would be decoded in one call.
    shell("gzip -1 big.bin && gzip -c </dev/null >>big.bin.gz");
    cancelAtFirstProgress();
    open("big.bin.gz");
    EXPECT_TRUE(ui_.acted);
    EXPECT_EQ(ui_.callsStartingWith("hide:"), QStringList{"hide:0"});
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
    EXPECT_EQ(namesIn(), QStringList{"big.bin.gz"}) << "no automatic extraction";
}

// Enough files for two hand-overs by count alone, however fast the machine lists.
constexpr int kFiles = 2 * int(ListingFeed::kBatchEntries) + 5000;
// A thousand files to a top folder, a hundred to a subfolder.
constexpr qint64 kEntries = kFiles + (kFiles + 999) / 1000 + (kFiles + 99) / 100;

// The nodes below the folder, counted by walking the tree.
qint64 walkedCount(const ArchiveEntry &folder) {
    qint64 count = 0;
    for (const auto &child : folder.children())
        count += 1 + walkedCount(*child);
    return count;
}

// The parameter: the hand-over at which the test cancels the listing; 0: never.
class ListingFeedTest : public DocumentTest, public ::testing::WithParamInterface<int> {};

TEST_P(ListingFeedTest, HandsTheTreeOverInGrowingBatchesWhileTheListingWaits) {
    const int cancelAt = GetParam();
    ASSERT_TRUE(ArchiveKit::makeManyFilesZip(dir_.file("many.zip"), kFiles));
    QList<qint64> shown;
    ui_.onListed = [&] {
        if (!document_.isListing())
            return;
        // The listing thread waits meanwhile: the tree is whole and still.
        EXPECT_EQ(walkedCount(*document_.rootEntry()), document_.listedCount());
        EXPECT_FALSE(document_.canExtract()) << "what needs every entry waits for the end";
        shown.append(document_.listedCount());
        if (shown.size() == cancelAt)
            queueCancel(document_);
    };
    open("many.zip");

    ASSERT_GE(shown.size(), cancelAt ? cancelAt : 2);
    for (qsizetype batch = 1; batch < shown.size(); ++batch)
        EXPECT_GT(shown[batch], shown[batch - 1]) << "batch " << batch;
    EXPECT_GT(shown.first(), 0);
    const qint64 listed = document_.rootEntry()->descendantCount();
    EXPECT_EQ(walkedCount(*document_.rootEntry()), listed);
    if (cancelAt)
        EXPECT_LT(listed, kEntries) << "the listing stopped at the cancel";
    else
        EXPECT_EQ(listed, kEntries);
    EXPECT_FALSE(document_.isListing());
    EXPECT_TRUE(document_.canExtract());
    EXPECT_EQ(ui_.calls.mid(ui_.calls.lastIndexOf("hide:0")),
              (QStringList{"hide:0", "listed", "encoding", "toolbar"}))
        << "the ending shows the rest of the entries";
    EXPECT_TRUE(ui_.callsStartingWith("alert:").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Listing, ListingFeedTest, ::testing::Values(0, 1), [](const auto &feed) {
    return feed.param ? "CancelledAtTheFirstHandOver" : "ToTheEnd";
});

} // namespace
