#include "TestDesktop.h"

#include "util/AppTranslator.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

TestDesktop &TestDesktop::instance() {
    static TestDesktop desktop;
    return desktop;
}

void TestDesktop::start() {
    AppTranslator::install(*QCoreApplication::instance());
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--fork"),
               QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
    const bool started = bus.waitForFinished(10000) && bus.exitCode() == 0;
    const QStringList lines =
        QString::fromUtf8(bus.readAllStandardOutput()).split(QLatin1Char('\n'));
    // No bus at all rather than the user's own: tests must not reach the real desktop.
    if (started && lines.size() >= 2) {
        busAddress_ = lines.at(0).trimmed();
        busPid_ = lines.at(1).trimmed().toLongLong();
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            busAddress_.isEmpty() ? QByteArray("unix:path=/nonexistent") : busAddress_.toUtf8());
}

void TestDesktop::stop() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    if (busPid_ > 0)
        ::kill(pid_t(busPid_), SIGTERM);
}

FakeFileManager::FakeFileManager()
    : bus_(QDBusConnection::connectToBus(TestDesktop::instance().busAddress(),
                                         QStringLiteral("fake-file-manager"))) {
    running_ = bus_.isConnected() &&
               bus_.registerService(QStringLiteral("org.freedesktop.FileManager1")) &&
               bus_.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this,
                                   QDBusConnection::ExportScriptableSlots);
}

FakeFileManager::~FakeFileManager() {
    bus_.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    bus_.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-file-manager"));
}

void FakeFileManager::ShowItems(const QStringList &uris, const QString &) {
    for (const QString &uri : uris)
        shown.append(QUrl(uri).toLocalFile());
}

namespace {

class Environment : public ::testing::Environment {
public:
    void SetUp() override { TestDesktop::instance().start(); }
    void TearDown() override { TestDesktop::instance().stop(); }
};

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

} // namespace
