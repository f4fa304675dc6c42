#include "WindowTestKit.h"

#include "../TestDesktop.h"
#include "app/dialogs/ProgressSheet.h"
#include "app/window/BrowserColumn.h"
#include "app/window/DocumentBrowser.h"
#include "app/window/EntryBrowserModel.h"
#include "app/window/StatusLine.h"
#include "document/ArchiveDocument.h"
#include "support/ArchiveKit.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

QAction *findAction(const QList<QAction *> &actions, const QString &text) {
    for (QAction *action : actions) {
        if (!action->isSeparator() && plain(action->text()) == text)
            return action;
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

void closePopups() {
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

// Clicks the item of an open menu.
void clickMenuItem(QMenu &menu, const QString &item) {
    QAction *action = findAction(menu.actions(), item);
    ASSERT_TRUE(action && action->isEnabled()) << item.toStdString() << " is disabled";
    QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, menu.actionGeometry(action).center());
    closePopups();
    QCoreApplication::processEvents();
}

} // namespace

BrowserColumn *WindowTest::columnOf(const DocumentWindow &window, const QStringList &path) {
    const QModelIndex index = indexAt(window, path);
    for (BrowserColumn *column : window.browser().findChildren<BrowserColumn *>()) {
        if (index.isValid() && column->isVisible() && column->rootIndex() == index.parent())
            return column;
    }
    return nullptr;
}

QModelIndex WindowTest::indexAt(const DocumentWindow &window, const QStringList &names) {
    const EntryBrowserModel &model = *window.browser().entryModel();
    QModelIndex current;
    for (const QString &name : names) {
        const QModelIndexList found =
            model.match(model.index(0, 0, current), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        if (found.isEmpty())
            return {};
        current = found.first();
    }
    return current;
}

WindowTest::WindowTest() {
    watcher_.setInterval(20);
    QObject::connect(&watcher_, &QTimer::timeout, [this] { answerOpenDialogs(); });
}

void WindowTest::SetUp() {
    clearSettings();
    TestDesktop::instance().clear();
    watcher_.start();
}

void WindowTest::TearDown() {
    watcher_.stop();
    closePopups();
    EXPECT_TRUE(answers_.empty()) << "a dialog the test waited for never opened";
    clearSettings();
}

void WindowTest::answerOpenDialogs() {
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    // The progress sheet is the application's own, answered by the task's end.
    if (!dialog || dialog == answered_ || !dialog->isVisible() ||
        qobject_cast<ProgressSheet *>(dialog))
        return;
    if (!answers_.empty()) {
        const auto answer = answers_.front();
        answers_.pop_front();
        answer(*dialog);
        // One that stays open (refusing the answer) is not answered again.
        answered_ = dialog->isVisible() ? dialog : nullptr;
    } else if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
        alerts_.append(box->text());
        box->close();
    } else {
        alerts_.append(QStringLiteral("unexpected dialog: ") + dialog->windowTitle());
        dialog->reject();
    }
}

void WindowTest::answerDialog(const std::function<void(QDialog &)> &answer) {
    answers_.push_back(answer);
}

void WindowTest::answerFileDialog(const QStringList &names, const QString &folder,
                                  const QString &filter) {
    answerDialog([names, folder, filter](QDialog &dialog) {
        auto *fileDialog = qobject_cast<QFileDialog *>(&dialog);
        if (!folder.isEmpty())
            fileDialog->setDirectory(folder);
        // Several names are typed each in quotes.
        dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
            ->setText(names.size() == 1 ? names.first()
                                        : '"' + names.join(QStringLiteral("\" \"")) + '"');
        if (!filter.isEmpty()) {
            const QStringList chosen =
                fileDialog->nameFilters().filter(QRegularExpression('^' + filter));
            ASSERT_EQ(chosen.size(), 1) << fileDialog->nameFilters().join('|').toStdString();
            fileDialog->selectNameFilter(chosen.first());
        }
        auto *buttons = dialog.findChild<QDialogButtonBox *>();
        QPushButton *accept = buttons->button(QDialogButtonBox::Open)
                                  ? buttons->button(QDialogButtonBox::Open)
                                  : buttons->button(QDialogButtonBox::Save);
        ASSERT_TRUE(accept && accept->isEnabled()) << names.join(' ').toStdString();
        accept->click();
    });
}

void WindowTest::python(const QString &script) const {
    ASSERT_EQ(ArchiveKit::runPython(script, dir_.path()), 0) << script.toStdString();
}

void WindowTest::shell(const QString &command) const {
    ASSERT_EQ(runShellIn(dir_.path(), command), 0) << command.toStdString();
}

QString WindowTest::makeZip(const QString &name, const QStringList &entries) const {
    QString script =
        QStringLiteral("import zipfile\nwith zipfile.ZipFile('%1', 'w') as z:\n").arg(name);
    for (const QString &entry : entries)
        script += QStringLiteral("    z.writestr('%1', '%2')\n")
                      .arg(entry, entry.endsWith(QLatin1Char('/')) ? QString() : entry);
    python(script);
    return dir_.file(name);
}

std::unique_ptr<DocumentWindow> WindowTest::openWindow(const QString &path) const {
    auto window = std::make_unique<DocumentWindow>(path.isEmpty() ? std::nullopt
                                                                  : std::optional<QString>(path));
    window->show();
    settle(*window);
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
}

void WindowTest::settle(const DocumentWindow &window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.document().isExecuting(); }, 30000));
    QCoreApplication::processEvents();
}

QStringList WindowTest::topNames(const DocumentWindow &window) {
    const EntryBrowserModel &model = *window.browser().entryModel();
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.index(row, 0).data().toString());
    return names;
}

QString WindowTest::statusText(const DocumentWindow &window) {
    return window.findChild<StatusLine *>()->text();
}

void WindowTest::click(DocumentWindow &window, const QStringList &path,
                       Qt::KeyboardModifiers modifiers) {
    for (qsizetype depth = 1; depth < path.size(); ++depth)
        clickItem(window, path.mid(0, depth));
    clickItem(window, path, Qt::LeftButton, modifiers);
}

void WindowTest::clickItem(DocumentWindow &window, const QStringList &path, Qt::MouseButton button,
                           Qt::KeyboardModifiers modifiers) {
    QCoreApplication::processEvents();
    const QModelIndex index = indexAt(window, path);
    ASSERT_TRUE(index.isValid()) << path.join('/').toStdString();
    // QColumnView shows a new column once it has scrolled to it, in an animation.
    BrowserColumn *column = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (column = columnOf(window, path)) != nullptr; }))
        << "no column shows " << path.join('/').toStdString();
    const QPoint point = column->viewport()->mapTo(&window, column->visualRect(index).center());
    QTest::mouseClick(window.windowHandle(), button, modifiers, point);
    QCoreApplication::processEvents();
}

QStringList WindowTest::contextMenu(DocumentWindow &window, const QStringList &path,
                                    const QString &item) {
    clickItem(window, path, Qt::RightButton);
    QStringList items;
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    for (const QAction *action : menu ? menu->actions() : QList<QAction *>())
        items.append(plain(action->text()));
    if (menu && !item.isEmpty())
        clickMenuItem(*menu, item);
    else
        EXPECT_TRUE(item.isEmpty()) << "no context menu on " << path.join('/').toStdString();
    closePopups();
    return items;
}

QAction *WindowTest::menuItem(const DocumentWindow &window, const QStringList &menuPath) {
    QList<QAction *> actions = window.menuBar()->actions();
    QAction *action = nullptr;
    for (const QString &title : menuPath) {
        action = findAction(actions, title);
        if (action && action->menu())
            actions = action->menu()->actions();
    }
    return action;
}

void WindowTest::chooseFromMenu(DocumentWindow &window, const QStringList &menuPath) {
    QMenuBar *bar = window.menuBar();
    QAction *top = findAction(bar->actions(), menuPath.first());
    ASSERT_TRUE(top && top->menu());
    QMenu *menu = top->menu();
    menu->popup(bar->mapToGlobal(bar->actionGeometry(top).bottomLeft()));
    for (const QString &title : menuPath.mid(1, menuPath.size() - 2)) {
        QAction *sub = findAction(menu->actions(), title);
        ASSERT_TRUE(sub && sub->menu() && sub->isEnabled()) << title.toStdString();
        sub->menu()->popup(menu->mapToGlobal(menu->actionGeometry(sub).topRight()));
        menu = sub->menu();
    }
    clickMenuItem(*menu, menuPath.last());
}

void WindowTest::clickToolButton(DocumentWindow &window, const QString &text) {
    for (QToolButton *button : window.findChild<QToolBar *>()->findChildren<QToolButton *>()) {
        if (button->isVisible() && plain(button->text()) == text) {
            ASSERT_TRUE(button->isEnabled()) << text.toStdString() << " is disabled";
            QTest::mouseClick(button, Qt::LeftButton);
            QCoreApplication::processEvents();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

void WindowTest::press(DocumentWindow &window, const QString &keys) {
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keySequence(&window, QKeySequence(keys, QKeySequence::PortableText));
    QCoreApplication::processEvents();
}

std::unique_ptr<QMimeData> WindowTest::fileDrag(const QStringList &paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

void WindowTest::drop(DocumentWindow &window, const QStringList &paths) {
    const auto data = fileDrag(paths);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: the application delivers drops only inside a real drag.
    static_cast<QObject &>(window).event(&event);
    EXPECT_TRUE(event.isAccepted());
}

int runApplication(int timeoutMs) {
    // Goes with this run, so it cannot end a later one.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    deadline.start(timeoutMs);
    return QCoreApplication::exec();
}

void clickPreference(const QString &title) {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String("Preferences") || !widget->isVisible())
            continue;
        for (QCheckBox *box : widget->findChildren<QCheckBox *>()) {
            if (box->text() == title)
                QTest::mouseClick(box, Qt::LeftButton);
        }
        widget->close();
        return;
    }
    ADD_FAILURE() << "no preferences window";
}
