#include "app/dialogs/FileViewer.h"

#include "util/PathUtil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QUrl>

namespace {

void openFolder(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(PathUtil::parentFolder(path)));
}

} // namespace

void FileViewer::showItem(const QString &path, QObject *context) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto *answer = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, answer,
                     [path](QDBusPendingCallWatcher *watcher) {
                         if (watcher->isError())
                             openFolder(path);
                         watcher->deleteLater();
                     });
}
