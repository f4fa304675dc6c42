#include "app/shell/AppMenuBar.h"

#include "app/preferences/PreferencesWindow.h"
#include "app/shell/AppShell.h"
#include "app/window/DocumentWindow.h"

AppMenuBar::AppMenuBar(DocumentWindow &window, AppShell &shell)
    : QMenuBar(&window) {
    QMenu *file = addMenu(tr("&File"));
    file->addAction(tr("New Window"), QKeySequence::New, &shell, &AppShell::newWindow);
    file->addAction(tr("Open..."), QKeySequence::Open, &window,
                    &DocumentWindow::chooseArchiveToOpen);
    file->addAction(tr("Close Window"), QKeySequence::Close, &window, &QWidget::close);
    file->addSeparator();
    QAction *quit = file->addAction(tr("Quit"), QKeySequence::Quit, &shell, &AppShell::quit);
    quit->setMenuRole(QAction::QuitRole);
    QMenu *edit = addMenu(tr("&Edit"));
    edit->addAction(PreferencesWindow::createAction(edit));
}
