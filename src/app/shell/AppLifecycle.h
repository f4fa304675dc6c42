#pragma once

#include <QObject>

class QGuiApplication;

// The application's delegate: after the last window closes the application quits only when the
// setting says so (read at that moment); at start the temporary folders of this user's dead runs
// go, at quit the process's own temporary folders go and the remembered encodings of archives
// that no longer exist are forgotten.
class AppLifecycle : public QObject {
    Q_OBJECT

public:
    explicit AppLifecycle(QGuiApplication &app);

    static bool quitsAfterLastWindow();
    static void aboutToQuit();
    // Deletes the process's temporary folders, which hold every folder made for viewing,
    // preview and decompressed tars.
    static void removeTempFile();
};
