#pragma once

#include <QMenuBar>

class DocumentCommands;
class DocumentWindow;
class EncodingMenu;

// A document window's menus, holding every command: File (New Window, Open…, Open Recent, Close,
// Quit), Archive (the extract, view, show, gather and zip commands and the Encoding menu), Edit
// (Preferences…) and Help (About Kist).
class DocumentMenuBar : public QMenuBar {
    Q_OBJECT

public:
    DocumentMenuBar(DocumentWindow &window, const DocumentCommands &commands,
                    EncodingMenu *encodings);

private:
    // Lists the recent archives each time the menu opens; choosing one opens it.
    void fillRecentMenu(QMenu *menu, DocumentWindow &window);
};
