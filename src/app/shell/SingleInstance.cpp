#include "app/shell/SingleInstance.h"

#include <QDBusMessage>

SingleInstance::SingleInstance(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , bus_(bus) {
}

SingleInstance::~SingleInstance() {
    if (!registered_)
        return;
    bus_.unregisterObject(kPath);
    bus_.unregisterService(kService);
}

bool SingleInstance::registerInstance() {
    if (!bus_.isConnected() || !bus_.registerService(kService))
        return false;
    if (!bus_.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots)) {
        bus_.unregisterService(kService);
        return false;
    }
    registered_ = true;
    return true;
}

bool SingleInstance::handOver(const QStringList &paths) const {
    if (!bus_.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Open"));
    call << paths;
    return bus_.call(call, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::Open(const QStringList &paths) {
    emit openRequested(paths);
}
