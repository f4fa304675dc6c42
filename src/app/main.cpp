#include "app/dialogs/QtDialogs.h"
#include "app/shell/AppLifecycle.h"
#include "app/shell/AppShell.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

// Opens every archive named on the command line, or one empty window.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kist"));
    QApplication::setApplicationName(QStringLiteral("Kist"));
    QApplication::setApplicationVersion(QStringLiteral(KIST_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.kist.Kist"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.kist.Kist")));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QApplication::translate("main", "Opens archives, each in a window of its own."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("archives"),
                                 QApplication::translate("main", "The archives to open."),
                                 QStringLiteral("[ARCHIVE...]"));
    parser.process(app);

    AppLifecycle delegate(app);
    QtDialogs dialogs(nullptr);
    AppShell shell(dialogs);
    shell.openFiles(parser.positionalArguments());
    return QApplication::exec();
}
