#include "cli/CancellableRun.h"
#include "cli/CliExit.h"
#include "cli/Commands.h"
#include "cli/OpenedArchive.h"
#include "util/AppTranslator.h"
#include "util/TempFolders.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Cli", "usage: kist-cli <command> [options] ...\n"
           "\n"
           "Commands:\n"
           "  list     List the entries of an archive.\n"
           "  extract  Extract an archive, or some of its entries, under a free name.\n"
           "  create   Write files and folders into a new zip, tar or 7z under a free name.\n"
           "  test     Check that every entry of an archive extracts intact.\n"
           "\n"
           "kist-cli <command> --help describes a command.\n");

// While TZ is unset the C library reads the zone file again for every local-time conversion
// (the RAR library converts the time of every header it reads); naming the same default file
// makes it read the file once.
void readZoneFileOnce() {
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
}

} // namespace

int main(int argc, char **argv) {
    readZoneFileOnce();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kist-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIST_VERSION));
    AppTranslator::install(app);

    catchInterruptions();
    TempFolders::removeLeftovers();
    // The process's own temporary folders go however the command ends, cleanly or by a signal.
    const struct OwnTemporaryData {
        ~OwnTemporaryData() { TempFolders::removeOwn(); }
    } ownTemporaryData;

    QStringList arguments = QCoreApplication::arguments();
    const QString program = arguments.takeFirst();
    const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
    arguments.prepend(program + QLatin1Char(' ') + command);
    setJsonErrors(arguments.contains(QStringLiteral("--json")));

    if (command == QLatin1String("list"))
        return runList(arguments);
    if (command == QLatin1String("extract"))
        return runExtract(arguments);
    if (command == QLatin1String("test"))
        return runTest(arguments);
    if (command == QLatin1String("create"))
        return runCreate(arguments);
    if (command == QLatin1String("--version")) {
        std::printf("kist-cli %s\n", KIST_VERSION);
        return ExitOk;
    }
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(qPrintable(QCoreApplication::translate("Cli", kUsage)), stdout);
        return ExitOk;
    }
    std::fputs(qPrintable(QCoreApplication::translate("Cli", kUsage)), stderr);
    return ExitUsage;
}
