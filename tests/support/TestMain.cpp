#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

// Every test process gets a private config folder and temp folder, so no test touches the
// user's real settings or leaves files in the shared temp folder.
int main(int argc, char **argv) {
    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/kist-test-XXXXXX"));
    if (!sandbox.isValid())
        return 2;
    const QByteArray config = (sandbox.path() + QStringLiteral("/config")).toUtf8();
    const QByteArray temp = (sandbox.path() + QStringLiteral("/tmp")).toUtf8();
    QDir().mkpath(QString::fromUtf8(config));
    QDir().mkpath(QString::fromUtf8(temp));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("TMPDIR", temp.constData(), 1);
    unsetenv("APP_SANDBOX_CONTAINER_ID");

    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
