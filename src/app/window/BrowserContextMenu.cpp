#include "app/window/BrowserContextMenu.h"

#include "app/window/DocumentBrowser.h"
#include "document/ArchiveDocument.h"

BrowserContextMenu::BrowserContextMenu(ArchiveDocument &document, const DocumentBrowser &browser,
                                       const std::function<void()> &viewFile, QWidget *parent)
    : QMenu(parent)
    , document_(document)
    , browser_(browser)
    , extractSelected_(
          makeItem(tr("Extract selected files"), [&document] { document.extractSelected(); }))
    , extractSelectedTo_(makeItem(tr("Extract selected files As..."),
                                  [&document] { document.extractSelectedTo(); }))
    , viewSelected_(makeItem(tr("View"), viewFile))
    , deleteSelected_(makeItem(tr("Delete"), [&document] { document.deleteSelected(); }))
    , revealInFinder_(makeItem(tr("Reveal in Finder"), [&document] { document.showInFolder(); })) {
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
    const bool canExtract = document_.canExtractSelected();
    if (canExtract) {
        addAction(extractSelected_);
        addAction(extractSelectedTo_);
    }
    if (document_.canView())
        addAction(viewSelected_);
    if (!canExtract) {
        if (!document_.canZip())
            return;
        if (document_.canDelete() && browser_.selectedColumn() == 0)
            addAction(deleteSelected_);
    }
    addAction(revealInFinder_);
}
