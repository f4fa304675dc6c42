#include "app/shell/AppShell.h"

#include "app/window/DocumentWindow.h"
#include "document/IDialogs.h"

#include <QApplication>

AppShell::AppShell(IDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , dialogs_(dialogs) {
}

void AppShell::openFiles(const QStringList &paths) {
    for (const QString &path : paths)
        openFile(path);
    if (controller_.documents().isEmpty())
        newWindow();
}

void AppShell::openLaunched(const QStringList &paths) {
    if (paths.isEmpty())
        newWindow();
    else
        openFiles(paths);
}

void AppShell::openFile(const QString &path) {
    std::optional<Error> error;
    if (!controller_.openDocument(path, true, &error) && error)
        dialogs_.alert(error->message, path);
}

void AppShell::newWindow() {
    controller_.newDocument();
}

DocumentWindow *AppShell::windowOf(const ArchiveDocument &document) const {
    for (const QPointer<DocumentWindow> &window : windows_) {
        if (window && &window->document() == &document)
            return window;
    }
    return nullptr;
}

ArchiveDocument *AppShell::makeDocument() {
    auto *window = new DocumentWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &DocumentWindow::openDocumentRequested, this, &AppShell::openFile);
    connect(window, &DocumentWindow::newWindowRequested, this, &AppShell::newWindow);
    windows_.removeAll(nullptr);
    windows_.append(window);
    return &window->document();
}

void AppShell::showDocument(ArchiveDocument &document) {
    DocumentWindow *window = windowOf(document);
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

ArchiveDocument *AppShell::currentDocument() const {
    const auto *window = qobject_cast<DocumentWindow *>(QApplication::activeWindow());
    return window ? &window->document() : nullptr;
}
