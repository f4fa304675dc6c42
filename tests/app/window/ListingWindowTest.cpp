#include "WindowTestKit.h"
#include "app/window/DocumentBrowser.h"
#include "app/window/EntryBrowserModel.h"
#include "app/window/ListingIndicator.h"
#include "document/ArchiveDocument.h"
#include "document/ListingFeed.h"
#include "support/ArchiveKit.h"
#include "util/StringUtil.h"

#include <QTest>
#include <QToolButton>

namespace {

// Enough files for two hand-overs by count alone, however fast the machine lists.
constexpr int kFiles = 2 * int(ListingFeed::kBatchEntries) + 5000;
constexpr int kTopFolders = (kFiles + 999) / 1000;

// What the user does once the listing has shown two top folders.
struct DuringListing {
    const char *name;
    std::function<void(DocumentWindow &)> act;
    // The listing reads every entry; else it is stopped.
    bool toTheEnd;
    bool windowStays;
};

class ListingWindowTest : public WindowTest {
protected:
    static bool indicatorShown(const DocumentWindow &window) {
        return window.findChild<ListingIndicator *>()->isVisible();
    }
    static QStringList selectedNames(const DocumentWindow &window) {
        QStringList names;
        for (const IFileEntry *item : window.browser().selectedItems())
            names.append(item->name());
        return names;
    }
};

TEST_F(ListingWindowTest, EntriesShowAsTheyAreReadWhileTheWindowStaysUsable) {
    ASSERT_TRUE(ArchiveKit::makeManyFilesZip(dir_.file("many.zip"), kFiles));
    const QList<DuringListing> cases = {
        {"selects a folder", [](DocumentWindow &window) { click(window, {"d001"}); }, true, true},
        {"presses Stop",
         [](DocumentWindow &window) {
             QTest::mouseClick(window.findChild<QToolButton *>("ListingCancel"), Qt::LeftButton);
         },
         false, true},
        {"closes the window", [](DocumentWindow &window) { window.close(); }, false, false},
    };
    for (const DuringListing &during : cases) {
        SCOPED_TRACE(during.name);
        DocumentWindow window(dir_.file("many.zip"));
        window.show();
        const ArchiveDocument &document = window.document();
        const EntryBrowserModel &model = *window.browser().entryModel();
        // Hand-overs that brought new top folders while the listing went on.
        int batches = 0;
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &window,
                         [&](const QModelIndex &parent) {
                             if (!parent.isValid() && document.isListing())
                                 ++batches;
                         });
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model.rowCount() >= 2 || !document.isListing(); }, 60000));
        ASSERT_TRUE(document.isListing()) << "the first folders show before the end";
        EXPECT_TRUE(indicatorShown(window));
        EXPECT_TRUE(statusText(window).startsWith("Reading… ")) << statusText(window).toStdString();
        EXPECT_FALSE(menuItem(window, {"Archive", "Extract"})->isEnabled());
        EXPECT_FALSE(menuItem(window, {"Archive", "Encoding"})->isEnabled());
        const int batchesBefore = batches;
        during.act(window);
        if (during.toTheEnd) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return batches > batchesBefore || !document.isListing(); }, 60000));
            EXPECT_EQ(selectedNames(window), QStringList{"d001"}) << "kept through the next batch";
        }
        settle(window);

        EXPECT_FALSE(document.isListing());
        EXPECT_FALSE(indicatorShown(window));
        ASSERT_EQ(window.isVisible(), during.windowStays);
        if (!during.windowStays)
            continue;
        EXPECT_FALSE(statusText(window).startsWith("Reading"));
        EXPECT_TRUE(menuItem(window, {"Archive", "Extract"})->isEnabled());
        EXPECT_EQ(topNames(window).size(), document.rootEntry()->childCount())
            << "the rows are the tree's";
        if (during.toTheEnd) {
            EXPECT_GE(batches, 2) << "entries came in more than one batch";
            EXPECT_EQ(topNames(window).size(), kTopFolders);
            EXPECT_EQ(selectedNames(window), QStringList{"d001"});
            EXPECT_EQ(statusText(window), "1010 items, " + StringUtil::formatSize(0) + " - d001/");
        }
    }
}

} // namespace
