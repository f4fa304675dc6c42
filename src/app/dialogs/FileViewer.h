#pragma once

#include <QString>

class QObject;

// The desktop's file manager.
class FileViewer {
public:
    FileViewer() = delete;

    // Shows the item selected in its folder through the freedesktop FileManager1 service; when
    // no file manager answers, opens the folder instead. Returns at once.
    static void selectFile(const QString &path, QObject *context);
};
