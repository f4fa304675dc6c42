#pragma once

#include <QString>

class QObject;

// The desktop's file manager.
class FileViewer {
public:
    FileViewer() = delete;

    // Asks the file manager to show the item selected in its folder, through the freedesktop
    // service org.freedesktop.FileManager1 on the session bus; when none answers, opens the
    // folder with the desktop's default application instead. Returns at once; the answer is
    // awaited while the context object lives.
    static void showItem(const QString &path, QObject *context);
};
