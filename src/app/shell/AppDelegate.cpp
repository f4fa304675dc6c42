#include "app/shell/AppDelegate.h"

#include "app/core/Preferences.h"
#include "archive/ArchiveBase.h"
#include "encoding/EncodingUtil.h"
#include "util/FileUtil.h"

#include <QGuiApplication>

AppDelegate::AppDelegate(QGuiApplication &app)
    : QObject(&app) {
    // The setting is asked when the last window has closed, not when the application starts.
    app.setQuitOnLastWindowClosed(false);
    connect(&app, &QGuiApplication::lastWindowClosed, this, [&app] {
        if (applicationShouldTerminateAfterLastWindowClosed())
            app.quit();
    });
    connect(&app, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
}

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed() {
    return Preferences::getISExitAfterCloseLastWindowValue();
}

void AppDelegate::applicationWillTerminate() {
    removeTempFile();
    EncodingUtil::removeFileEncoding();
}

void AppDelegate::removeTempFile() {
    FileUtil::deleteFile(ArchiveBase::tempRootDirectory());
}
