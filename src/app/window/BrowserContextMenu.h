#pragma once

#include <QMenu>

class DocumentCommands;

// The browser's context menu: the commands that act on the selection (Extract Selected, Extract
// Selected As…, View, Show in Folder, Delete), those that apply to it now, as the shared actions.
class BrowserContextMenu : public QMenu {
    Q_OBJECT

public:
    BrowserContextMenu(DocumentCommands &commands, QWidget *parent);

    // Refills the menu for the selection and opens it at the point; nothing when no command
    // applies.
    void popupFor(const QPoint &globalPos);

private:
    DocumentCommands &commands_;
};
