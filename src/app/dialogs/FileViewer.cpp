#include "app/dialogs/FileViewer.h"

#include "util/PathUtil.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

void FileViewer::selectFile(const QString &path, QObject *context) {
    const QString folder = PathUtil::parentFolder(path);
    // dbus-send splits array items at commas; the encoded comma keeps the URL whole.
    const QString url = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded())
                            .replace(QLatin1Char(','), QStringLiteral("%2C"));
    auto *call = new QProcess(context);
    call->setProgram(QStringLiteral("dbus-send"));
    call->setArguments({QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=org.freedesktop.FileManager1"),
                        QStringLiteral("/org/freedesktop/FileManager1"),
                        QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
                        QStringLiteral("array:string:") + url, QStringLiteral("string:")});
    QObject::connect(call, &QProcess::finished, call, [call, folder](int code) {
        if (code != 0 || call->exitStatus() != QProcess::NormalExit)
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        call->deleteLater();
    });
    QObject::connect(call, &QProcess::errorOccurred, call,
                     [call, folder](QProcess::ProcessError e) {
                         if (e == QProcess::FailedToStart) {
                             QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
                             call->deleteLater();
                         }
                     });
    call->start();
}
