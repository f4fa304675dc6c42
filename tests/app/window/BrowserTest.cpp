#include "WindowTestKit.h"

#include "app/window/BrowserColumn.h"
#include "app/window/DocumentBrowser.h"
#include "document/ArchiveDocument.h"
#include "settings/RememberedEncodings.h"

#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

class BrowserTest : public WindowTest {
protected:
    // The icon the first column shows for the item, as drawn.
    static QImage drawnIcon(const DocumentWindow &window, const QString &name) {
        BrowserColumn *first = columnOf(window, {name});
        const QRect cell = first->visualRect(indexAt(window, {name}));
        return first->viewport()
            ->grab(QRect(cell.topLeft(), QSize(cell.height(), cell.height())))
            .toImage();
    }
};

TEST_F(BrowserTest, StatusLineCountsInPluralsAndWritesPathsOneWay) {
    makeZip("s.zip", {"docs/a.txt", "docs/big.txt", "listed/", "listed/one.txt", "top.txt"});
    DocumentWindow loading(dir_.file("s.zip"));
    EXPECT_TRUE(loading.document().isExecuting());
    EXPECT_EQ(statusText(loading), "Reading… 0 items") << "no totals of a tree being filled";

    auto window = openWindow(dir_.file("s.zip"));
    // Each entry holds its name: docs/ holds 10 and 12 bytes, listed/ 14.
    EXPECT_EQ(statusText(*window), "2 items, 22B - docs/") << "a folder the tree made up";
    click(*window, {"listed"});
    EXPECT_EQ(statusText(*window), "1 item, 14B - listed/") << "a folder the archive lists";
    click(*window, {"top.txt"});
    EXPECT_EQ(statusText(*window), "7B/7B - top.txt");

    dir_.write("items/folder/inner.txt", "inner");
    dir_.write("items/folder/sub/deep.txt", "deep");
    auto gathering = openWindow();
    answerFileDialog({"folder"}, dir_.file("items"));
    chooseFromMenu(*gathering, {"Archive", "Add…"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !statusText(*gathering).startsWith("Loading"); }));
    EXPECT_EQ(statusText(*gathering), "3 items, 9B - " + dir_.file("items/folder"));
}

TEST_F(BrowserTest, EncodingMenuRelistsRemembersAndNamesWhatDetectionFound) {
    const QString russian = QString::fromUtf8("Привет мир документ.txt");
    python(QString("from archive_maker import *\n"
                   "with zipfile.ZipFile('legacy.zip', 'w') as z:\n"
                   "    add(z, '%1'.encode('cp1251'), b'text')\n")
               .arg(russian));
    auto window = openWindow(dir_.file("legacy.zip"));
    auto *button = window->findChild<QToolButton *>("EncodingButton");
    EXPECT_TRUE(button->text().startsWith("Encoding: Automatic (")) << button->text().toStdString();
    QMenu *encodings = menuItem(*window, {"Archive", "Encoding"})->menu();
    QStringList common;
    for (const QAction *action : encodings->actions())
        common.append(action->text());
    EXPECT_TRUE(common.contains("Japanese (Shift JIS)"));
    EXPECT_FALSE(common.contains("IBM037")) << "EBCDIC waits under More Encodings";
    ASSERT_TRUE(menuItem(*window, {"Archive", "Encoding", "More Encodings", "IBM037"}));

    chooseFromMenu(*window, {"Archive", "Encoding", "Western (Windows Latin 1)"});
    ASSERT_EQ(topNames(*window).size(), 1);
    EXPECT_NE(topNames(*window).first(), russian);
    chooseFromMenu(*window, {"Archive", "Encoding", "Cyrillic (Windows)"});
    EXPECT_EQ(topNames(*window), QStringList{russian});
    EXPECT_EQ(button->text(), "Encoding: Cyrillic (Windows)");
    EXPECT_EQ(RememberedEncodings::nameFor(dir_.file("legacy.zip")), "windows-1251");

    auto reopened = openWindow(dir_.file("legacy.zip"));
    EXPECT_EQ(topNames(*reopened), QStringList{russian});
    EXPECT_TRUE(menuItem(*reopened, {"Archive", "Encoding", "Cyrillic (Windows)"})->isChecked());
}

TEST_F(BrowserTest, IconsShowTheKindAndALockOnEncryptedEntries) {
    dir_.write("src/e/x", "");
    for (const char *name : {"a.txt", "b.png", "c.zip", "d.bin", "plain.txt", "secret.txt"})
        dir_.write(QString("src/") + name, "data");
    // Each format's listing marks the entry stored with a password.
    const QList<std::pair<QString, QString>> formats = {
        {"zip", "zip -q %1 %2 && zip -q -P pass %1 secret.txt"},
        {"7z", "7zz a -bd %1 %2 && 7zz a -bd -ppass %1 secret.txt"},
        {"rar", "rar a -idq %1 %2 && rar a -idq -ppass %1 secret.txt"}};
    for (const auto &[extension, adding] : formats) {
        const QString archive = dir_.file("all." + extension);
        SCOPED_TRACE(archive.toStdString());
        shell("cd src && (" + adding.arg(archive, "a.txt b.png c.zip d.bin e plain.txt") +
              ") > /dev/null");
        auto window = openWindow(archive);
        QStringList names = topNames(*window);
        names.sort();
        ASSERT_EQ(names, QStringList(
                             {"a.txt", "b.png", "c.zip", "d.bin", "e", "plain.txt", "secret.txt"}));
        // Text, picture, archive, other file and folder all look different.
        QList<QImage> kinds;
        for (const QString &name : names.mid(0, 5)) {
            const QImage icon = drawnIcon(*window, name);
            for (const QImage &other : kinds)
                EXPECT_NE(icon, other) << name.toStdString();
            kinds.append(icon);
        }
        EXPECT_EQ(drawnIcon(*window, "plain.txt"), kinds.first()) << "one kind, one icon";
        EXPECT_NE(drawnIcon(*window, "secret.txt"), kinds.first()) << "the lock is drawn";
        EXPECT_EQ(indexAt(*window, {"secret.txt"}).data(Qt::ToolTipRole).toString(),
                  "secret.txt (encrypted)");
    }
}

TEST_F(BrowserTest, TheFirstColumnStaysInViewAndDraggedEntriesAreOfferedExtracted) {
    const QString zip =
        makeZip("d.zip", {"a/b/note.txt", "a/b/other.txt", "docs/a.txt", "docs/b.txt"});
    auto window = openWindow(zip);
    click(*window, {"a", "b", "note.txt"});
    QTest::qWait(400); // the view scrolls in an animation
    EXPECT_EQ(window->browser().horizontalScrollBar()->value(), 0) << "scrolled past the first";
    EXPECT_TRUE(columnOf(*window, {"a"}));

    click(*window, {"docs", "a.txt"});
    clickItem(*window, {"docs", "b.txt"}, Qt::LeftButton, Qt::ControlModifier);
    BrowserColumn *second = columnOf(*window, {"docs", "b.txt"});
    const QPoint start = second->viewport()->mapTo(
        window.get(), second->visualRect(indexAt(*window, {"docs", "b.txt"})).center());
    // The test platform ends a drag at once: what it offered is read as the drag goes.
    struct DragWatcher : QObject {
        QList<QUrl> offered;
        bool eventFilter(QObject *watched, QEvent *event) override {
            if (event->type() == QEvent::ChildAdded)
                static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
            else if (auto *drag = qobject_cast<QDrag *>(watched);
                     drag && event->type() == QEvent::DeferredDelete)
                offered = drag->mimeData()->urls();
            return false;
        }
    } watcher;
    window->installEventFilter(&watcher);
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, start);
    QTest::mouseMove(window->windowHandle(), start + QPoint(40, 0));
    QTest::mouseMove(window->windowHandle(), start + QPoint(80, 0));
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, start + QPoint(80, 0));
    const QList<QUrl> offered = watcher.offered;
    ASSERT_EQ(offered.size(), 2);
    QStringList names;
    for (const QUrl &url : offered) {
        names.append(QFileInfo(url.toLocalFile()).fileName());
        QFile file(url.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "docs/" + names.last().toUtf8());
        EXPECT_FALSE(url.toLocalFile().startsWith(dir_.path())) << "a private temporary copy";
    }
    EXPECT_EQ(names, QStringList({"a.txt", "b.txt"}));
}
