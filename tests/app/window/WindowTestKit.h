#pragma once

#include "app/window/DocumentWindow.h"
#include "support/TestDirs.h"

#include <QDialog>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

class BrowserColumn;
class QMimeData;

// Runs the application's event loop until it quits; its exit code, -1 when the time ran out.
int runApplication(int timeoutMs);
// Clicks the box with the title in the open preferences window, then closes the window.
void clickPreference(const QString &title);

// Windows under test over a scratch folder, with settings at their defaults, driven as a user
// drives them: clicks on the browser, the menus, the toolbar's buttons and the context menu as
// they are shown, keys, and answers to the dialogs that open.
class WindowTest : public ::testing::Test {
public:
    WindowTest();
    void SetUp() override;
    void TearDown() override;

    // Runs a python3 script, or a shell command, in the scratch folder; fails the test when it
    // fails.
    void python(const QString &script) const;
    void shell(const QString &command) const;
    // A zip of the entries (names ending in "/" are folders) with the name as contents.
    QString makeZip(const QString &name, const QStringList &entries) const;
    // A window on the archive (or an empty one), shown and active, its listing ended.
    std::unique_ptr<DocumentWindow> openWindow(const QString &path = QString()) const;
    // Waits until the window's document runs no task.
    static void settle(const DocumentWindow &window);
    // The names in the first column of the browser.
    static QStringList topNames(const DocumentWindow &window);
    static QString statusText(const DocumentWindow &window);

    // The item at the path of names, and the column that shows it (none while hidden).
    static QModelIndex indexAt(const DocumentWindow &window, const QStringList &path);
    static BrowserColumn *columnOf(const DocumentWindow &window, const QStringList &path);
    // Clicks the item at the path of names (its folders first, each in its column).
    static void click(DocumentWindow &window, const QStringList &path,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Clicks the item itself, its folders being shown already.
    static void clickItem(DocumentWindow &window, const QStringList &path,
                          Qt::MouseButton button = Qt::LeftButton,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The items of the context menu a right click on the item opens (none: no menu opens), after
    // clicking the one given.
    static QStringList contextMenu(DocumentWindow &window, const QStringList &path,
                                   const QString &item = QString());
    // Opens the menu bar's menu (and the submenus along the path) and clicks the item.
    static void chooseFromMenu(DocumentWindow &window, const QStringList &menuPath);
    // The menu bar's item at the path of menu titles and item text; fails when missing.
    static QAction *menuItem(const DocumentWindow &window, const QStringList &menuPath);
    static void clickToolButton(DocumentWindow &window, const QString &text);
    // The files as a drag from the file manager carries them.
    static std::unique_ptr<QMimeData> fileDrag(const QStringList &paths);
    // Drops the files on the window, as a drag from the file manager ends.
    static void drop(DocumentWindow &window, const QStringList &paths);
    // Types the keys ("Ctrl+E") in the window, made active first (a dialog may just have closed).
    static void press(DocumentWindow &window, const QString &keys);

    // Answers the next modal dialog that opens with the function (queued behind earlier ones).
    void answerDialog(const std::function<void(QDialog &)> &answer);
    // Answers a file dialog (an open or a save dialog): goes to the folder when one is given,
    // types the names, then chooses the name filter that begins with the text when one is given,
    // and accepts.
    void answerFileDialog(const QStringList &names, const QString &folder = QString(),
                          const QString &filter = QString());
    // Messages of the alerts that opened (each was dismissed).
    QStringList alerts_;

    ScratchDir dir_;

private:
    void answerOpenDialogs();

    std::deque<std::function<void(QDialog &)>> answers_;
    QTimer watcher_;
    QPointer<QDialog> answered_;
};
