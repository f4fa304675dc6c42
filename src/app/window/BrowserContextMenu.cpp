#include "app/window/BrowserContextMenu.h"

#include "app/window/DocumentBrowser.h"
#include "document/ArchiveDocument.h"

BrowserContextMenu::BrowserContextMenu(ArchiveDocument &document, const DocumentBrowser &browser,
                                       const std::function<void()> &viewFile, QWidget *parent)
    : QMenu(parent)
    , document(document)
    , browser(browser)
    , extractSelected(
          makeItem(tr("Extract selected files"), [&document] { document.extractSelected(); }))
    , extractSelectedTo(makeItem(tr("Extract selected files As..."),
                                 [&document] { document.extractSelectedTo(); }))
    , viewSelected(makeItem(tr("View"), viewFile))
    , deleteSelected(makeItem(tr("Delete"), [&document] { document.deleteSelected(); }))
    , revealInFinder(makeItem(tr("Reveal in Finder"), [&document] { document.showInFolder(); })) {
    connect(this, &QMenu::aboutToShow, this, &BrowserContextMenu::menuNeedsUpdate);
}

QAction *BrowserContextMenu::makeItem(const QString &title, const std::function<void()> &action) {
    auto *item = new QAction(title, this);
    connect(item, &QAction::triggered, this, action);
    return item;
}

void BrowserContextMenu::menuNeedsUpdate() {
    // Only detach the items: they are made once, with the menu.
    for (QAction *item : actions())
        removeAction(item);
    const bool canExtract = document.canExtractSelected();
    if (canExtract) {
        addAction(extractSelected);
        addAction(extractSelectedTo);
    }
    if (document.canView())
        addAction(viewSelected);
    if (!canExtract) {
        if (!document.canZip())
            return;
        if (document.canDelete() && browser.selectedColumn() == 0)
            addAction(deleteSelected);
    }
    addAction(revealInFinder);
}
