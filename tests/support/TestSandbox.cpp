#include "support/TestSandbox.h"

#include <QDir>

#include <cstdlib>

bool enterTestSandbox(const QTemporaryDir &sandbox) {
    if (!sandbox.isValid())
        return false;
    const QByteArray config = (sandbox.path() + QStringLiteral("/config")).toUtf8();
    const QByteArray temp = (sandbox.path() + QStringLiteral("/tmp")).toUtf8();
    QDir().mkpath(QString::fromUtf8(config));
    QDir().mkpath(QString::fromUtf8(temp));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("TMPDIR", temp.constData(), 1);
    unsetenv("APP_SANDBOX_CONTAINER_ID");
    return true;
}
