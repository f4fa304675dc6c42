#include "WindowTestKit.h"

#include "app/window/BrowserContextMenu.h"
#include "app/window/DocumentBrowser.h"
#include "app/window/DocumentToolbar.h"
#include "app/window/EncodingChooser.h"
#include "document/ArchiveDocument.h"

#include <QAction>

#include <functional>

namespace {

const QStringList kButtons = {"ToolBarItemUnArchive",      "ToolBarItemUnArchiveTo",
                              "ToolBarItemOpenDocument",   "ToolBarItemSaveZip",
                              "ToolBarItemSaveZipTo",      "ToolBarItemAddToZip",
                              "ToolBarItemDeleteZipFiles", "ToolBarItemEncoding"};

// The identifiers of the enabled buttons, the encoding chooser last.
QStringList enabledItems(const DocumentWindow &window) {
    QStringList enabled;
    for (const QString &identifier : kButtons) {
        const QAction *action = window.toolbar().item(identifier);
        const bool on =
            action ? action->isEnabled() : window.toolbar().encodingPopup()->isEnabled();
        if (on)
            enabled.append(identifier);
    }
    return enabled;
}

QStringList menuTitles(DocumentWindow &window) {
    window.contextMenu().menuNeedsUpdate();
    QStringList titles;
    for (const QAction *action : window.contextMenu().actions())
        titles.append(action->text());
    return titles;
}

} // namespace

class DocumentWindowStateTest : public WindowTest {
protected:
    struct Case {
        const char *name;
        std::function<std::unique_ptr<DocumentWindow>()> make;
        QStringList enabled;
        QStringList menu;
    };

    std::unique_ptr<DocumentWindow> archive(const QStringList &selection) {
        auto window = openWindow(makeZip("a.zip", {"docs/", "docs/a.txt", "top.txt"}));
        window->browser().clearSelection();
        if (!selection.isEmpty())
            select(*window, selection);
        return window;
    }

    std::unique_ptr<DocumentWindow> gathering(const QStringList &selection) {
        dir_.write("items/folder/inner.txt", "inner");
        dir_.write("items/file.txt", "file");
        auto window = openWindow();
        window->document().addFiles({dir_.file("items/folder"), dir_.file("items/file.txt")});
        window->browser().clearSelection();
        if (!selection.isEmpty())
            select(*window, selection);
        return window;
    }
};

TEST_F(DocumentWindowStateTest, ButtonsAndContextMenuFollowStateAndSelection) {
    const QStringList archiveButtons = {"ToolBarItemUnArchive", "ToolBarItemUnArchiveTo",
                                        "ToolBarItemOpenDocument", "ToolBarItemEncoding"};
    const QStringList gatherButtons = {"ToolBarItemOpenDocument", "ToolBarItemSaveZip",
                                       "ToolBarItemSaveZipTo", "ToolBarItemAddToZip"};
    const QStringList extractItems = {"Extract selected files", "Extract selected files As..."};
    const QList<Case> cases = {
        {"empty",
         [this] { return openWindow(); },
         {"ToolBarItemOpenDocument", "ToolBarItemAddToZip"},
         {}},
        {"archive, nothing selected", [this] { return archive({}); }, archiveButtons, {}},
        {"archive, folder selected", [this] { return archive({"docs"}); }, archiveButtons,
         extractItems + QStringList{"Reveal in Finder"}},
        {"archive, file selected",
         [this] {
             return archive({"docs", "a.txt"});
         },
         archiveButtons, extractItems + QStringList{"View", "Reveal in Finder"}},
        {"gathering, nothing selected",
         [this] { return gathering({}); },
         gatherButtons,
         {"Reveal in Finder"}},
        {"gathering, first column selected",
         [this] { return gathering({"file.txt"}); },
         gatherButtons + QStringList{"ToolBarItemDeleteZipFiles"},
         {"Delete", "Reveal in Finder"}},
        // "Delete" takes the first column's row on the path, so the button is on; the menu
        // offers it only for a selection in the first column.
        {"gathering, second column selected",
         [this] {
             return gathering({"folder", "inner.txt"});
         },
         gatherButtons + QStringList{"ToolBarItemDeleteZipFiles"},
         {"Reveal in Finder"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<DocumentWindow> window = c.make();
        QStringList expected = c.enabled;
        std::sort(expected.begin(), expected.end());
        QStringList actual = enabledItems(*window);
        std::sort(actual.begin(), actual.end());
        EXPECT_EQ(actual, expected);
        EXPECT_EQ(menuTitles(*window), c.menu);
    }
}

TEST_F(DocumentWindowStateTest, ReloadSelectsTheFirstFolderOnly) {
    auto withFolder = openWindow(makeZip("f.zip", {"a.txt", "b/", "b/c.txt", "d/"}));
    ASSERT_EQ(withFolder->browser().selectedItems().size(), 1);
    EXPECT_EQ(withFolder->browser().selectedItems().first()->name(), QString("b"));

    auto filesOnly = openWindow(makeZip("g.zip", {"a.txt", "b.txt"}));
    EXPECT_EQ(topNames(*filesOnly), QStringList({"a.txt", "b.txt"}));
    EXPECT_TRUE(filesOnly->browser().selectedItems().isEmpty());
}

TEST_F(DocumentWindowStateTest, DeleteTakesTheFirstColumnRowOffTheList) {
    auto window = gathering({"folder", "inner.txt"});
    window->toolbar().item("ToolBarItemDeleteZipFiles")->trigger();
    EXPECT_EQ(topNames(*window), QStringList({"file.txt"}));
    select(*window, {"file.txt"});
    window->toolbar().item("ToolBarItemDeleteZipFiles")->trigger();
    EXPECT_TRUE(topNames(*window).isEmpty());
    EXPECT_EQ(enabledItems(*window),
              QStringList({"ToolBarItemOpenDocument", "ToolBarItemAddToZip"}));
}
