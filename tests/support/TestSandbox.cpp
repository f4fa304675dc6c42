#include "support/TestSandbox.h"

#include <QDir>

#include <cstdlib>

TestSandbox::TestSandbox()
    : root_(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX")) {
    if (!root_.isValid())
        return;
    const QByteArray config = (root_.path() + QStringLiteral("/config")).toUtf8();
    const QByteArray temp = (root_.path() + QStringLiteral("/tmp")).toUtf8();
    valid_ = QDir().mkpath(QString::fromUtf8(config)) && QDir().mkpath(QString::fromUtf8(temp));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("TMPDIR", temp.constData(), 1);
}
