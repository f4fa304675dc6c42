#include "support/TestSandbox.h"

#include <QDir>

#include <cstdlib>

TestSandbox::TestSandbox()
    : root(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX")) {
    if (!root.isValid())
        return;
    const QByteArray config = (root.path() + QStringLiteral("/config")).toUtf8();
    const QByteArray temp = (root.path() + QStringLiteral("/tmp")).toUtf8();
    valid = QDir().mkpath(QString::fromUtf8(config)) && QDir().mkpath(QString::fromUtf8(temp));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("TMPDIR", temp.constData(), 1);
    unsetenv("APP_SANDBOX_CONTAINER_ID");
}
