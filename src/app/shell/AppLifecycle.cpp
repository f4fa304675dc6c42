#include "app/shell/AppLifecycle.h"

#include "app/shell/QuitSignals.h"
#include "settings/Preferences.h"
#include "settings/RememberedEncodings.h"
#include "util/TempFolders.h"

#include <QGuiApplication>

AppLifecycle::AppLifecycle(QGuiApplication &app)
    : QObject(&app) {
    // The setting is asked when the last window has closed, not when the application starts.
    app.setQuitOnLastWindowClosed(false);
    connect(&app, &QGuiApplication::lastWindowClosed, this, [&app] {
        if (quitsAfterLastWindow())
            app.quit();
    });
    connect(&app, &QCoreApplication::aboutToQuit, this, &AppLifecycle::aboutToQuit);
    // A logout or kill quits through the event loop, so aboutToQuit cleans up as for Quit.
    connect(new QuitSignals(this), &QuitSignals::quitRequested, &app, &QCoreApplication::quit);
    TempFolders::removeLeftovers();
}

bool AppLifecycle::quitsAfterLastWindow() {
    return Preferences::exitAfterLastWindow();
}

void AppLifecycle::aboutToQuit() {
    removeTempFile();
    RememberedEncodings::prune();
}

void AppLifecycle::removeTempFile() {
    TempFolders::removeOwn();
}
