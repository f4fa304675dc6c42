#include "app/window/BrowserContextMenu.h"

#include "app/window/DocumentCommands.h"

#include <QAction>

using Id = DocumentCommands::Id;

BrowserContextMenu::BrowserContextMenu(DocumentCommands &commands, QWidget *parent)
    : QMenu(parent)
    , commands_(commands) {
}

void BrowserContextMenu::popupFor(const QPoint &globalPos) {
    commands_.update();
    clear();
    for (QAction *action : commands_.actions({Id::ExtractSelected, Id::ExtractSelectedAs, Id::View,
                                              Id::ShowInFolder, Id::Delete})) {
        if (action->isEnabled())
            addAction(action);
    }
    if (!isEmpty())
        popup(globalPos);
}
