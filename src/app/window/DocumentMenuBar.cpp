#include "app/window/DocumentMenuBar.h"

#include "app/window/DocumentCommands.h"
#include "app/window/DocumentWindow.h"
#include "app/window/EncodingMenu.h"
#include "settings/RecentArchives.h"

using Id = DocumentCommands::Id;

DocumentMenuBar::DocumentMenuBar(DocumentWindow &window, const DocumentCommands &commands,
                                 EncodingMenu *encodings)
    : QMenuBar(&window) {
    QMenu *file = addMenu(tr("&File"));
    file->addActions(commands.actions({Id::NewWindow, Id::Open}));
    QMenu *recent = file->addMenu(tr("Open Recent"));
    connect(recent, &QMenu::aboutToShow, recent,
            [this, recent, &window] { fillRecentMenu(recent, window); });
    file->addSeparator();
    file->addActions(commands.actions({Id::Close, Id::Quit}));

    QMenu *archive = addMenu(tr("&Archive"));
    archive->addActions(
        commands.actions({Id::Extract, Id::ExtractAs, Id::ExtractSelected, Id::ExtractSelectedAs}));
    archive->addSeparator();
    archive->addActions(commands.actions({Id::View, Id::ShowInFolder, Id::OpenArchiveFolder}));
    archive->addSeparator();
    archive->addActions(commands.actions({Id::Add, Id::Delete, Id::Zip, Id::CompressAs}));
    archive->addSeparator();
    archive->addMenu(encodings);

    addMenu(tr("&Edit"))->addAction(commands.action(Id::Preferences));
    addMenu(tr("&Help"))->addAction(commands.action(Id::About));
}

void DocumentMenuBar::fillRecentMenu(QMenu *menu, DocumentWindow &window) {
    menu->clear();
    const QStringList paths = RecentArchives::paths();
    for (const QString &path : paths)
        menu->addAction(path, &window, [&window, path] { window.openArchive(path); });
    if (paths.isEmpty()) {
        menu->addAction(tr("No Recent Archives"))->setEnabled(false);
        return;
    }
    menu->addSeparator();
    menu->addAction(tr("Clear Menu"), menu, [] { RecentArchives::clear(); });
}
