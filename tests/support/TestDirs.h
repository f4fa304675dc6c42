#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Readable test output for texts and lists of texts.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &texts, std::ostream *out) {
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

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

// The names in the folder, hidden ones included, sorted.
QStringList namesIn(const QString &folder);

// Clears every stored setting, so each test starts from the defaults.
void clearSettings();

// Runs a command line through the shell, which knows "noise N [SEED]" for N bytes of
// deterministic noise; returns its exit status.
int runShell(const QString &command);
// Runs a command line through the shell in the folder; returns its exit status.
int runShellIn(const QString &folder, const QString &command);
// The text as one word of a shell command line.
QString shellQuote(const QString &text);

// A program's exit code (-1 when it did not end by itself in time) and its combined output.
struct ToolResult {
    int exitCode = -1;
    QString output;
};
// Runs a program through the shell, never through QProcess: QProcess starts children by vfork,
// and a child running in this process's memory corrupts ThreadSanitizer's record of the
// starting thread, which then reports races that are none.
ToolResult runTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000);
