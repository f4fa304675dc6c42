#include "app/dialogs/QtDialogs.h"
#include "app/preview/Icons.h"
#include "app/shell/AppLifecycle.h"
#include "app/shell/AppShell.h"
#include "app/shell/SingleInstance.h"
#include "util/AppTranslator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

// Opens every archive named on the command line, or one empty window; when Kist runs already,
// hands them to it instead.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kist"));
    QApplication::setApplicationName(QStringLiteral("Kist"));
    QApplication::setApplicationVersion(QStringLiteral(KIST_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.kist.Kist"));
    QApplication::setWindowIcon(Icons::themed("org.kist.Kist", "kist"));
    AppTranslator::install(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QApplication::translate("main", "Opens archives, each in a window of its own."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("archives"),
                                 QApplication::translate("main", "The archives to open."),
                                 QStringLiteral("[ARCHIVE...]"));
    parser.process(app);
    QStringList paths;
    for (const QString &argument : parser.positionalArguments())
        paths.append(QFileInfo(argument).absoluteFilePath());

    SingleInstance instance;
    if (!instance.registerInstance() && instance.handOver(paths))
        return 0;

    AppLifecycle delegate(app);
    QtDialogs dialogs(nullptr);
    AppShell shell(dialogs);
    QObject::connect(&instance, &SingleInstance::openRequested, &shell, &AppShell::openLaunched);
    shell.openFiles(paths);
    return QApplication::exec();
}
