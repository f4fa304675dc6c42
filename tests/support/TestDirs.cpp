#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>

ScratchDir::ScratchDir()
    : dir_(QDir::tempPath() + QStringLiteral("/scratch-XXXXXX")) {
}

QString ScratchDir::write(const QString &name, const QByteArray &bytes) const {
    const QString target = file(name);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return {};
    return target;
}

void clearSettings() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kist"),
                       QStringLiteral("Kist"));
    settings.clear();
    settings.sync();
}

int runShell(const QString &command) {
    const int status = std::system(command.toLocal8Bit().constData());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
