#include "support/TestSandbox.h"

#include <QDir>

#include <cstdlib>

TestSandbox::TestSandbox()
    : root_(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX")) {
    if (!root_.isValid())
        return;
    const QByteArray config = (root_.path() + QStringLiteral("/config")).toUtf8();
    const QByteArray temp = (root_.path() + QStringLiteral("/tmp")).toUtf8();
    const QByteArray cache = (root_.path() + QStringLiteral("/cache")).toUtf8();
    valid_ = QDir().mkpath(QString::fromUtf8(config)) && QDir().mkpath(QString::fromUtf8(temp)) &&
             QDir().mkpath(QString::fromUtf8(cache));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("TMPDIR", temp.constData(), 1);
    // Large temporary data goes to the cache folder, small data to the runtime folder when set.
    setenv("XDG_CACHE_HOME", cache.constData(), 1);
    unsetenv("XDG_RUNTIME_DIR");
}
