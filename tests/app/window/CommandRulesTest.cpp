#include "WindowTestKit.h"

#include <QMenu>
#include <QMessageBox>
#include <QToolBar>
#include <QToolButton>

class CommandRulesTest : public WindowTest {};

// Which commands the menu bar, the toolbar and the context menu offer for each state and
// selection: one action each, so the three always agree.
TEST_F(CommandRulesTest, MenusToolbarAndContextMenuFollowStateAndSelection) {
    const QString archive = "Extract,Extract As…,Extract Selected,Extract Selected As…,Show in "
                            "Folder,Open Archive's Folder,Encoding";
    const QString gathered = "Show in Folder,Open Archive's Folder,Add…,Zip,Compress As…";
    struct Case {
        const char *name;
        bool showArchive;
        const char *selection;
        QString enabled; // in the Archive menu, separated by commas
        QString contextMenu;
    };
    const Case cases[] = {
        {"empty", false, "", "Add…", ""},
        {"archive, folder", true, "docs", archive,
         "Extract Selected,Extract Selected As…,Show in Folder"},
        {"archive, file in the second column", true, "docs/a.txt", archive + ",View",
         "Extract Selected,Extract Selected As…,View,Show in Folder"},
        {"gathering, first column", false, "folder", gathered + ",Delete", "Show in Folder,Delete"},
        // Only gathered items leave the list, not what lies inside a gathered folder.
        {"gathering, second column", false, "folder/inner.txt", gathered, "Show in Folder"},
    };
    dir_.write("items/folder/inner.txt", "inner");
    const QString zip = makeZip("a.zip", {"docs/", "docs/a.txt", "top.txt"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList selection = QString(c.selection).split('/', Qt::SkipEmptyParts);
        auto window = openWindow(c.showArchive ? zip : QString());
        if (!c.showArchive && !selection.isEmpty()) {
            answerFileDialog({"folder"}, dir_.file("items"));
            chooseFromMenu(*window, {"Archive", "Add…"});
        }
        if (!selection.isEmpty())
            click(*window, selection);
        QStringList enabled;
        const QList<QAction *> archiveMenu = menuItem(*window, {"Archive"})->menu()->actions();
        for (const QAction *action : archiveMenu) {
            if (!action->isSeparator() && action->isEnabled())
                enabled.append(action->text());
        }
        QStringList expected = c.enabled.split(',');
        std::sort(enabled.begin(), enabled.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(enabled, expected);
        const QToolBar *toolbar = window->findChild<QToolBar *>();
        for (QToolButton *button : toolbar->findChildren<QToolButton *>()) {
            // Every icon fills the toolbar's icon size: none is drawn smaller than the others.
            if (button->defaultAction()) {
                EXPECT_EQ(button->icon().actualSize(toolbar->iconSize()), toolbar->iconSize());
            }
            if (QAction *action = button->defaultAction(); archiveMenu.contains(action)) {
                EXPECT_EQ(button->isEnabled(), enabled.contains(action->text()))
                    << action->text().toStdString();
            }
        }
        if (!selection.isEmpty()) {
            EXPECT_EQ(contextMenu(*window, selection).join(','), c.contextMenu);
        }
    }
}

TEST_F(CommandRulesTest, AboutNamesTheVersionAndTheLibrariesWithTheirLicences) {
    auto window = openWindow();
    QString shown;
    answerDialog([&shown](QDialog &dialog) {
        auto &box = static_cast<QMessageBox &>(dialog);
        shown = box.text() + box.informativeText();
        box.close();
    });
    chooseFromMenu(*window, {"Help", "About Kist"});
    for (const QString &part : {QString("Kist"), QString("Qt</b></td><td>") + qVersion(),
                                QString("libarchive"), QString("UnRAR"), QString("zlib License")})
        EXPECT_TRUE(shown.contains(part)) << part.toStdString();
}
