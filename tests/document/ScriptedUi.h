#pragma once

#include "document/IDialogs.h"
#include "document/IDocumentView.h"

#include <QList>
#include <QStringList>

#include <atomic>
#include <deque>
#include <functional>
#include <optional>

class ArchiveDocument;

// A window and dialogs for tests: records every call as a short text, answers the dialogs from
// queues the test fills, and notes any call that does not come on the main thread.
class ScriptedUi : public IDocumentView, public IDialogs {
public:
    // The recorded calls, in order: "sheet:determinate", "hide:10000", "alert:<message>",
    // "chooser:<opening folder>", "save:<folder>|<name>", "password", "reload", "toolbar", "close",
    // ...
    QStringList calls;
    QStringList bottomTexts;
    QList<quint64> maxValues;
    std::deque<std::optional<QString>> passwords;
    std::deque<std::optional<QString>> directories;
    std::deque<std::optional<ArchiveChoice>> savedArchives;
    QStringList pickedFiles;
    QList<IFileEntry *> selectedZero;
    QList<IFileEntry *> selectedCurrent;
    // Runs on the main thread at each progress value.
    std::function<void(quint64)> onProgressValue;
    // Runs on the main thread each time the listing hands entries over, and at its end.
    std::function<void()> onListed;
    std::atomic<bool> calledOffMainThread = false;
    // Whether the action given to atFirstProgress has run.
    bool acted = false;

    // The calls that begin with the prefix.
    QStringList callsStartingWith(const QString &prefix) const;
    // Runs the action (on the main thread) at the first progress value above zero.
    void atFirstProgress(const std::function<void()> &action);

    void showProgress(bool indeterminate) override {
        record(indeterminate ? "sheet:indeterminate" : "sheet:determinate");
    }
    void hideProgress(int returnCode) override {
        record(QStringLiteral("hide:%1").arg(returnCode));
    }
    void setProgressTopText(const QString &text) override { record("top:" + text); }
    void setProgressMaxValue(quint64 maxValue) override;
    void setProgressValue(quint64 value) override;
    void setProgressBottomText(const QString &text) override;
    void reloadBrowser() override { record("reload"); }
    void showListedEntries() override;
    void selectRememberedEncoding() override { record("encoding"); }
    void updateCommands() override { record("toolbar"); }
    QList<IFileEntry *> firstColumnSelection() const override { return selectedZero; }
    QList<IFileEntry *> currentSelection() const override { return selectedCurrent; }
    void closeWindow() override { record("close"); }

    void alert(const QString &message, const QString &information) override {
        record("alert:" + message + information);
    }
    std::optional<QString> askPassword(const QString &message) override {
        record("password:" + message);
        return next(passwords, "password prompt");
    }
    std::optional<QString> pickFolder(const std::optional<QString> &openingFolder) override {
        record("chooser:" + openingFolder.value_or(QString()));
        return next(directories, "folder chooser");
    }
    std::optional<ArchiveChoice> saveArchive(const QString &folder, const QString &name) override {
        record("save:" + folder + '|' + name);
        return next(savedArchives, "save dialog");
    }
    QStringList pickFilesAndFolders() override {
        record("pick");
        return pickedFiles;
    }
    void openWithDefaultApplication(const QString &path) override { record("open:" + path); }
    void showInFolder(const QString &path) override { record("reveal:" + path); }

private:
    // Notes a call off the main thread; records it unless the call is null.
    void record(const QString &call);
    // The next answer; none, and a failed test, when the test queued none.
    template <class T> static T next(std::deque<T> &answers, const char *dialog) {
        if (answers.empty()) {
            failUnexpected(dialog);
            answers.emplace_back();
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
    static void failUnexpected(const char *dialog);
};

// Turns the event loop until the condition holds, also once the events queued meanwhile have
// been handled; false after the timeout.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 30000);
// Waits until the document runs no task and nothing queued for it starts another.
bool waitUntilIdle(const ArchiveDocument &document, int timeoutMs = 30000);
// Asks the document to cancel its task from the event loop, as the sheet's Cancel button does
// (never from inside a worker's call, which the worker is waiting on).
void queueCancel(ArchiveDocument &document);
