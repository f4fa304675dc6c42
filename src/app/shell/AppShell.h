#pragma once

#include "app/shell/DocumentController.h"
#include "app/shell/IDocumentWindowFactory.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class DocumentWindow;
class IDialogs;

// The running application's windows: archives opened from any window, from the command line or
// handed over by a later launch go through the document controller, which raises the window of
// an archive already open; an archive that cannot be opened is reported instead of leaving a
// broken window behind.
class AppShell : public QObject, public IDocumentWindowFactory {
    Q_OBJECT

public:
    // The dialogs report archives that cannot be opened.
    explicit AppShell(IDialogs &dialogs, QObject *parent = nullptr);

    DocumentController &controller() { return controller_; }
    // Opens each archive in the first empty window or a new one (or raises its window); when no
    // window is open afterwards (no paths, or none could be opened), an empty window.
    void openFiles(const QStringList &paths);
    // What a later launch hands over: its archives, or a new empty window when it named none.
    void openLaunched(const QStringList &paths);
    void openFile(const QString &path);
    // A new empty window, shown.
    void newWindow();
    // The window that holds the document, or none.
    DocumentWindow *windowOf(const ArchiveDocument &document) const;

    // IDocumentWindowFactory
    ArchiveDocument *makeDocument() override;
    void showDocument(ArchiveDocument &document) override;
    ArchiveDocument *currentDocument() const override;

private:
    IDialogs &dialogs_;
    DocumentController controller_{*this};
    // Each window deletes itself when closed.
    QList<QPointer<DocumentWindow>> windows_;
};
