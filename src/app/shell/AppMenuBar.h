#pragma once

#include <QMenuBar>

class AppShell;
class DocumentWindow;

// The menus of a document window: File (New Window, Open..., Close Window, Quit) and Edit
// (Preferences...).
class AppMenuBar : public QMenuBar {
    Q_OBJECT

public:
    AppMenuBar(DocumentWindow &window, AppShell &shell);
};
