#pragma once

#include <QObject>

class QGuiApplication;

// The application's delegate: after the last window closes the application quits only when the
// setting says so (read at that moment); at quit the temporary root goes and the remembered
// encodings of archives that no longer exist are forgotten.
class AppLifecycle : public QObject {
    Q_OBJECT

public:
    explicit AppLifecycle(QGuiApplication &app);

    static bool quitsAfterLastWindow();
    static void aboutToQuit();
    // Deletes the temporary root, which holds every folder made for viewing, preview and
    // compression.
    static void removeTempFile();
};
