#include "app/window/DocumentWindow.h"

#include <QApplication>

#include <functional>
#include <optional>

// One window per archive named on the command line, or one empty window.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kist"));
    QApplication::setApplicationName(QStringLiteral("Kist"));

    const auto openWindow = [](const std::optional<QString> &path) {
        auto *window = new DocumentWindow(path);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        return window;
    };
    std::function<void(DocumentWindow *)> wire = [&](DocumentWindow *window) {
        QObject::connect(window, &DocumentWindow::openDocumentRequested, window,
                         [&](const QString &path) { wire(openWindow(path)); });
    };
    const QStringList paths = app.arguments().mid(1);
    if (paths.isEmpty())
        wire(openWindow(std::nullopt));
    for (const QString &path : paths)
        wire(openWindow(path));
    return app.exec();
}
