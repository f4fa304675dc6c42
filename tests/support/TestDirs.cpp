#include "support/TestDirs.h"

#include "support/ArchiveKit.h"

#include <QDir>
#include <QSettings>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

ScratchDir::ScratchDir()
    : dir_(QDir::tempPath() + QStringLiteral("/scratch-XXXXXX")) {
}

QString ScratchDir::write(const QString &name, const QByteArray &bytes) const {
    return ArchiveKit::writeFile(path(), name, bytes);
}

QStringList namesIn(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void clearSettings() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kist"),
                       QStringLiteral("Kist"));
    settings.clear();
    settings.sync();
}

int runShell(const QString &command) {
    // "noise N [SEED]" writes N bytes that do not compress, the same on every run.
    const QString noise = QStringLiteral(
        "noise() { /usr/bin/python3 -c 'import random, sys; random.seed(int(sys.argv[2])); "
        "sys.stdout.buffer.write(random.randbytes(int(sys.argv[1])))' \"$1\" \"${2:-0}\"; }; ");
    const int status = std::system((noise + command).toLocal8Bit().constData());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runShellIn(const QString &folder, const QString &command) {
    return runShell(QStringLiteral("cd %1 && %2").arg(shellQuote(folder), command));
}

QString shellQuote(const QString &text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

ToolResult runTool(const QString &program, const QStringList &arguments, int timeoutMs) {
    // timeout(1) ends the program and answers 124 when the time is up.
    constexpr int kTimedOut = 124;
    QString command =
        QStringLiteral("timeout %1 %2").arg((timeoutMs + 999) / 1000).arg(shellQuote(program));
    for (const QString &argument : arguments)
        command += QLatin1Char(' ') + shellQuote(argument);
    FILE *pipe = ::popen((command + QStringLiteral(" 2>&1")).toLocal8Bit().constData(), "r");
    if (!pipe)
        return {};
    QByteArray output;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, qsizetype(got));
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == kTimedOut)
        return {};
    return {WEXITSTATUS(status), QString::fromUtf8(output)};
}
