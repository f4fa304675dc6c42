#pragma once

#include <QMenu>

#include <functional>

class DocumentBrowser;
class ArchiveDocument;

// The browser's context menu, rebuilt before it opens after the document's rules: the extract
// items and "View" for an opened archive with a selection, "Delete" for gathered items selected
// in the first column, and "Reveal in Finder" unless there is nothing to act on.
class BrowserContextMenu : public QMenu {
    Q_OBJECT

public:
    BrowserContextMenu(ArchiveDocument &document, const DocumentBrowser &browser,
                       const std::function<void()> &viewFile, QWidget *parent = nullptr);

    void menuNeedsUpdate();

private:
    QAction *makeItem(const QString &title, const std::function<void()> &action);

    ArchiveDocument &document_;
    const DocumentBrowser &browser_;
    QAction *extractSelected_;
    QAction *extractSelectedTo_;
    QAction *viewSelected_;
    QAction *deleteSelected_;
    QAction *revealInFinder_;
};
