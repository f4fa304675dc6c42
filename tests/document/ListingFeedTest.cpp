#include "document/ListingFeed.h"
#include "DocumentFixture.h"

#include <functional>

namespace {

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

struct FeedCase {
    const char *name;
    // The hand-over at which the test cancels the listing; 0: never.
    int cancelAt;
};

void PrintTo(const FeedCase &feed, std::ostream *out) {
    *out << feed.name;
}

class ListingFeedTest : public DocumentTest, public ::testing::WithParamInterface<FeedCase> {};

TEST_P(ListingFeedTest, HandsTheTreeOverInGrowingBatchesWhileTheListingWaits) {
    const FeedCase &feed = GetParam();
    ASSERT_TRUE(ArchiveKit::makeManyFilesZip(dir_.file("many.zip"), kFiles));
    QList<qint64> shown;
    ui_.onListed = [&] {
        if (!document_.isListing())
            return;
        // The listing thread waits meanwhile: the tree is whole and still.
        EXPECT_EQ(walkedCount(*document_.rootEntry()), document_.listedCount());
        EXPECT_FALSE(document_.canExtract()) << "what needs every entry waits for the end";
        shown.append(document_.listedCount());
        if (shown.size() == feed.cancelAt)
            queueCancel(document_);
    };
    open("many.zip");

    ASSERT_GE(shown.size(), feed.cancelAt ? feed.cancelAt : 2);
    for (qsizetype batch = 1; batch < shown.size(); ++batch)
        EXPECT_GT(shown[batch], shown[batch - 1]) << "batch " << batch;
    EXPECT_GT(shown.first(), 0);
    const qint64 listed = document_.rootEntry()->descendantCount();
    EXPECT_EQ(walkedCount(*document_.rootEntry()), listed);
    if (feed.cancelAt)
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

INSTANTIATE_TEST_SUITE_P(Listing, ListingFeedTest,
                         ::testing::Values(FeedCase{"to the end", 0},
                                           FeedCase{"cancelled at the first hand-over", 1}));

} // namespace
