#include "ScriptedUi.h"

#include "document/ArchiveDocument.h"
#include "document/MainThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

void ScriptedUi::record(const QString &call) {
    if (!MainThread::isMainThread())
        calledOffMainThread = true;
    calls.append(call);
}

QStringList ScriptedUi::callsStartingWith(const QString &prefix) const {
    QStringList found;
    for (const QString &call : calls) {
        if (call.startsWith(prefix))
            found.append(call);
    }
    return found;
}

std::optional<QString> ScriptedUi::next(std::deque<std::optional<QString>> &answers,
                                        const char *dialog) {
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << dialog;
        return std::nullopt;
    }
    const std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedUi::showProgress(bool indeterminate) {
    record(indeterminate ? QStringLiteral("sheet:indeterminate")
                         : QStringLiteral("sheet:determinate"));
}

void ScriptedUi::hideProgress(int returnCode) {
    record(QStringLiteral("hide:%1").arg(returnCode));
}

void ScriptedUi::setProgressTopText(const QString &text) {
    record(QStringLiteral("top:") + text);
}

void ScriptedUi::setProgressMaxValue(quint64 maxValue) {
    record(QStringLiteral("max"));
    maxValues.append(maxValue);
}

void ScriptedUi::setProgressValue(quint64 value) {
    if (!MainThread::isMainThread())
        calledOffMainThread = true;
    if (onProgressValue)
        onProgressValue(value);
}

void ScriptedUi::setProgressBottomText(const QString &text) {
    if (!MainThread::isMainThread())
        calledOffMainThread = true;
    bottomTexts.append(text);
}

void ScriptedUi::reloadBrowser() {
    record(QStringLiteral("reload"));
}

void ScriptedUi::selectRememberedEncoding() {
    record(QStringLiteral("encoding"));
}

void ScriptedUi::updateCommands() {
    record(QStringLiteral("toolbar"));
}

QList<IFileEntry *> ScriptedUi::firstColumnSelection() const {
    return selectedZero;
}

QList<IFileEntry *> ScriptedUi::currentSelection() const {
    return selectedCurrent;
}

void ScriptedUi::closeWindow() {
    record(QStringLiteral("close"));
}

void ScriptedUi::alert(const QString &message, const QString &information) {
    record(QStringLiteral("alert:") + message + information);
}

std::optional<QString> ScriptedUi::input(const QString &message, const QString &defaultValue) {
    record(QStringLiteral("input:") + message + QLatin1Char('|') + defaultValue);
    return defaultValue;
}

std::optional<QString> ScriptedUi::askPassword(const QString &message) {
    record(QStringLiteral("password:") + message);
    return next(passwords, "password prompt");
}

std::optional<QString> ScriptedUi::pickFolder(const std::optional<QString> &openingFolder) {
    record(QStringLiteral("chooser:") + openingFolder.value_or(QString()));
    return next(directories, "folder chooser");
}

QStringList ScriptedUi::pickFilesAndFolders() {
    record(QStringLiteral("pick"));
    return pickedFiles;
}

void ScriptedUi::openWithDefaultApplication(const QString &path) {
    record(QStringLiteral("open:") + path);
}

void ScriptedUi::showInFolder(const QString &path) {
    record(QStringLiteral("reveal:") + path);
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (done()) {
            QCoreApplication::processEvents();
            if (done())
                return true;
        }
        QThread::msleep(2);
    }
    return false;
}

bool waitUntilIdle(const ArchiveDocument &document, int timeoutMs) {
    return waitUntil([&document] { return !document.isExecuting(); }, timeoutMs);
}

void queueCancel(ArchiveDocument &document) {
    MainThread::queue(&document, [&document] { document.cancelThread(); });
}
