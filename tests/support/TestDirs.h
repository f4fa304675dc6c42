#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test, removed when the test ends.
class ScratchDir {
public:
    ScratchDir();
    QString path() const { return dir_.path(); }
    // Absolute path of a name inside the folder.
    QString file(const QString &name) const { return dir_.filePath(name); }
    // Writes the bytes to a file inside the folder, creating parent folders; returns its path.
    QString write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir dir_;
};

// Clears every stored setting, so each test starts from the defaults.
void clearSettings();

// Runs a command line through the shell; returns its exit status.
int runShell(const QString &command);
