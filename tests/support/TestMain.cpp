#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef KIST_GUI_TESTS
#include <QApplication>

#include <cstdlib>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

// Every test executable's main: private folders first, then the application object; the widget
// tests get a QApplication on the offscreen platform, needing no display.
int main(int argc, char **argv) {
    // A private config, temp and cache folder for the whole process, so no test touches the
    // user's real settings or leaves files in the shared temp folder; large temporary data goes
    // to the cache folder, small data to the runtime folder when set.
    const QTemporaryDir root(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX"));
    if (!root.isValid())
        return 2;
    const std::pair<const char *, const char *> folders[] = {
        {"XDG_CONFIG_HOME", "config"}, {"TMPDIR", "tmp"}, {"XDG_CACHE_HOME", "cache"}};
    for (const auto &[variable, name] : folders) {
        const QString folder = root.filePath(QLatin1String(name));
        if (!QDir().mkpath(folder))
            return 2;
        qputenv(variable, folder.toUtf8());
    }
    qunsetenv("XDG_RUNTIME_DIR");
#ifdef KIST_GUI_TESTS
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
