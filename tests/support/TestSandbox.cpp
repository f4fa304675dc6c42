#include "support/TestSandbox.h"

#include <QDir>

TestSandbox::TestSandbox()
    : root_(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX")) {
    // Large temporary data goes to the cache folder, small data to the runtime folder when set.
    const std::pair<const char *, const char *> folders[] = {
        {"XDG_CONFIG_HOME", "config"}, {"TMPDIR", "tmp"}, {"XDG_CACHE_HOME", "cache"}};
    valid_ = root_.isValid();
    for (const auto &[variable, name] : folders) {
        const QString folder = root_.filePath(QLatin1String(name));
        valid_ = valid_ && QDir().mkpath(folder);
        qputenv(variable, folder.toUtf8());
    }
    qunsetenv("XDG_RUNTIME_DIR");
}
