#include "WindowTestKit.h"

#include "app/window/DocumentBrowser.h"
#include "app/window/FileSizeThread.h"
#include "app/window/StatusLine.h"
#include "archive/IFileEntry.h"
#include "document/ArchiveDocument.h"
#include "settings/Preferences.h"
#include "util/StringUtil.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

class StatusLineTest : public WindowTest {
protected:
    static QString text(const DocumentWindow &window) { return window.statusLine().text(); }
    // Waits for the size thread's text to replace "Loading...".
    static QString computedText(const DocumentWindow &window) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !text(window).startsWith("Loading..."); }));
        return text(window);
    }
    static QString selectedPath(const DocumentWindow &window) {
        return window.browser().selectedItems().value(0)->path();
    }

    QString makeArchive() {
        python("import zipfile\n"
               "with zipfile.ZipFile('s.zip', 'w') as z:\n"
               "    z.writestr('docs/a.txt', 'ten bytes!')\n"
               "    z.writestr('docs/big.txt', 'x' * 5000, compress_type=zipfile.ZIP_DEFLATED)\n"
               "    z.writestr('top.txt', 'seven b')\n");
        return dir_.file("s.zip");
    }

    void makeItems() {
        dir_.write("items/folder/inner.txt", "inner");
        dir_.write("items/folder/sub/deep.txt", "deep");
        dir_.write("items/folder/.hidden", "hidden");
        dir_.write("items/file.txt", "file");
    }
};

TEST_F(StatusLineTest, ArchiveTotalsSelectedFileAndSelectedFolder) {
    const QString archive = makeArchive();
    auto window = openWindow(archive);
    // The first folder is selected after the listing: its totals.
    EXPECT_EQ(
        text(*window),
        QString("2 items , %1 - %2").arg(StringUtil::formatSize(5010), selectedPath(*window)));
    ASSERT_TRUE(selectedPath(*window).endsWith("docs/"));

    select(*window, {"docs", "big.txt"});
    const QString big = selectedPath(*window);
    const QStringList parts = text(*window).split(" - ");
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts.at(1), big);
    const QStringList sizes = parts.at(0).split('/');
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_EQ(sizes.at(1), StringUtil::formatSize(5000));
    EXPECT_NE(sizes.at(0), sizes.at(1)) << "the compressed size comes first";

    window->browser().clearSelection();
    EXPECT_EQ(text(*window), QString("4 items , %1/%2 - %3")
                                 .arg(StringUtil::formatSize(QFileInfo(archive).size()),
                                      StringUtil::formatSize(5017), archive));
}

TEST_F(StatusLineTest, GatheredItemsAreTotalledOnTheSizeThread) {
    makeItems();
    const QString folder = dir_.file("items/folder");
    const QString file = dir_.file("items/file.txt");
    struct Case {
        bool ignoreHidden;
        QString withFolderSelected;
        QString withNothingSelected;
    };
    const QList<Case> cases = {
        {false, "4 items , 15B - " + folder, "6 items , 19B"},
        {true, "3 items , 9B - " + folder, "5 items , 13B"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ignoreHidden ? "hidden files ignored" : "hidden files counted");
        Preferences::setIgnoreHiddenFiles(c.ignoreHidden);
        auto window = openWindow();
        window->document().addFiles({folder, file});
        // The folder is selected after the reload: "Loading..." with its path, then the totals.
        EXPECT_EQ(computedText(*window), c.withFolderSelected);

        select(*window, {"file.txt"});
        EXPECT_EQ(text(*window), "4B - " + file);

        window->browser().clearSelection();
        EXPECT_EQ(computedText(*window), c.withNothingSelected);
    }
}

TEST_F(StatusLineTest, ANewComputationSilencesTheEarlierOne) {
    makeItems();
    for (int index = 0; index < 300; ++index)
        dir_.write(QString("big/f%1/x.txt").arg(index), "x");
    FileSizeThread sizes;
    QSignalSpy computed(&sizes, &FileSizeThread::computed);
    sizes.computeSize({dir_.file("big")});
    sizes.computeSize({dir_.file("items/folder")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sizes.isExecuting(); }, 30000));
    QCoreApplication::processEvents();
    ASSERT_EQ(computed.size(), 1);
    EXPECT_EQ(computed.first().at(2).toStringList(), QStringList({dir_.file("items/folder")}));
}
