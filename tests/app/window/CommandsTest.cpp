#include "WindowTestKit.h"

#include "../TestDesktop.h"

#include <QFile>
#include <QInputDialog>
#include <QTest>

// Each row's folder holds a/sample.zip (docs/a.txt, docs/b.txt, docs/inner/c.txt, top.txt),
// items/folder (inner.txt, .hidden), items/file.txt, and an empty out/.
class CommandsTest : public WindowTest {
public:
    QString folder_;
    std::unique_ptr<FakeFileManager> fileManager_;

    QString at(const QString &name) const { return folder_ + QLatin1Char('/') + name; }
    QStringList names(const QString &name) const { return namesIn(at(name)); }
    static QString contents(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Opens the preferences with their key and clicks the box with the title.
    static void togglePreference(DocumentWindow &window, const QString &title) {
        press(window, Qt::Key_Comma, Qt::ControlModifier);
        clickPreference(title);
    }
    // The chooser of Add… answered with the gathered items.
    void addItems(DocumentWindow &window) {
        answerFileDialog({"folder", "file.txt"}, at("items"));
        chooseFromMenu(window, {"Archive", "Add…"});
    }
};

namespace {

// A user command reached the way a user reaches it, and what it leaves on disk or on screen.
struct Command {
    const char *name;
    // What the window shows first: the archive, the gathered items, or nothing.
    enum { Archive, Items, Empty } start;
    std::function<void(CommandsTest &, DocumentWindow &)> act;
    std::function<void(CommandsTest &, DocumentWindow &)> check;
};

using T = CommandsTest;
using W = DocumentWindow;

const QStringList kOpened = {"sample.zip"};

} // namespace

TEST_F(CommandsTest, EachCommandDoesItsWork) {
    const QList<Command> commands = {
        {"Extract with its key, closing the window", Command::Archive,
         [](T &, W &w) { T::press(w, Qt::Key_E, Qt::ControlModifier); },
         [](T &t, W &w) {
             EXPECT_EQ(t.names("a"), QStringList({"sample", "sample.zip"}));
             EXPECT_EQ(T::contents(t.at("a/sample/docs/a.txt")), "docs/a.txt");
             EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
         }},
        {"Extract As from the toolbar", Command::Archive,
         [](T &t, W &w) {
             t.answerFileDialog({t.at("out")});
             T::clickToolButton(w, "Extract As…");
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("out"), QStringList({"sample"}));
         }},
        {"Extract Selected on a file in the second column", Command::Archive,
         [](T &, W &w) {
             T::click(w, {"docs"});
             T::chooseFromContextMenu(w, {"docs", "a.txt"}, "Extract Selected");
         },
         [](T &t, W &w) {
             EXPECT_EQ(t.names("a"), QStringList({"a.txt", "sample.zip"}));
             EXPECT_TRUE(w.isVisible()) << "a partial extraction keeps the window";
         }},
        {"Extract Selected on a folder in the first column", Command::Archive,
         [](T &, W &w) { T::chooseFromContextMenu(w, {"docs"}, "Extract Selected"); },
         [](T &t, W &) {
             EXPECT_EQ(t.names("a/docs"), QStringList({"a.txt", "b.txt", "inner"}));
         }},
        {"Extract Selected from the menu on two files", Command::Archive,
         [](T &, W &w) {
             T::click(w, {"docs", "a.txt"});
             T::clickItem(w, {"docs", "b.txt"}, Qt::LeftButton, Qt::ControlModifier);
             T::chooseFromMenu(w, {"Archive", "Extract Selected"});
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("a/docs"), QStringList({"a.txt", "b.txt"}));
         }},
        {"Extract Selected As from the context menu", Command::Archive,
         [](T &t, W &w) {
             T::click(w, {"docs"});
             t.answerFileDialog({t.at("out")});
             T::chooseFromContextMenu(w, {"docs", "inner"}, "Extract Selected As…");
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("out/inner"), QStringList({"c.txt"}));
         }},
        {"Extract Selected As from the menu, chooser cancelled", Command::Archive,
         [](T &t, W &w) {
             T::click(w, {"top.txt"});
             t.cancelDialog();
             T::chooseFromMenu(w, {"Archive", "Extract Selected As…"});
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("a"), kOpened);
             EXPECT_TRUE(t.names("out").isEmpty());
         }},
        {"View with Return", Command::Archive,
         [](T &, W &w) {
             T::click(w, {"docs", "a.txt"});
             T::press(w, Qt::Key_Return);
         },
         [](T &, W &) {
             const QStringList opened = TestDesktop::instance().openedPaths();
             ASSERT_EQ(opened.size(), 1);
             EXPECT_EQ(T::contents(opened.first()), "docs/a.txt");
         }},
        {"View from the context menu", Command::Archive,
         [](T &, W &w) {
             T::click(w, {"docs"});
             T::chooseFromContextMenu(w, {"docs", "b.txt"}, "View");
         },
         [](T &, W &) {
             EXPECT_EQ(T::contents(TestDesktop::instance().openedPaths().value(0)), "docs/b.txt");
         }},
        {"View from the menu", Command::Archive,
         [](T &, W &w) {
             T::click(w, {"top.txt"});
             T::chooseFromMenu(w, {"Archive", "View"});
         },
         [](T &, W &) {
             EXPECT_EQ(T::contents(TestDesktop::instance().openedPaths().value(0)), "top.txt");
         }},
        {"Show in Folder asks the file manager to select the archive", Command::Archive,
         [](T &t, W &w) {
             t.fileManager_ = std::make_unique<FakeFileManager>();
             T::chooseFromContextMenu(w, {"docs"}, "Show in Folder");
         },
         [](T &t, W &) {
             ASSERT_TRUE(t.fileManager_->isRunning()) << "no private session bus";
             EXPECT_TRUE(QTest::qWaitFor([&] { return !t.fileManager_->shown.isEmpty(); }));
             EXPECT_EQ(t.fileManager_->shown, QStringList{t.at("a/sample.zip")});
             EXPECT_TRUE(TestDesktop::instance().openedPaths().isEmpty());
         }},
        {"Show in Folder without a file manager opens the folder", Command::Items,
         [](T &, W &w) {
             T::chooseFromMenu(w, {"Archive", "Show in Folder"});
         },
         [](T &t, W &) {
             EXPECT_TRUE(
                 QTest::qWaitFor([&] { return !TestDesktop::instance().openedPaths().isEmpty(); }));
             EXPECT_EQ(TestDesktop::instance().openedPaths(), QStringList{t.at("items")});
         }},
        {"Open Archive's Folder", Command::Archive,
         [](T &, W &w) {
             T::chooseFromMenu(w, {"Archive", "Open Archive's Folder"});
         },
         [](T &t, W &) {
             EXPECT_EQ(TestDesktop::instance().openedPaths(), QStringList{t.at("a")});
         }},
        {"Open with its key", Command::Empty,
         [](T &t, W &w) {
             t.answerFileDialog({t.at("a/sample.zip")});
             T::press(w, Qt::Key_O, Qt::ControlModifier);
         },
         [](T &, W &w) {
             EXPECT_EQ(T::topNames(w), QStringList({"docs", "top.txt"}));
         }},
        {"Add takes a folder and a file in one chooser", Command::Empty,
         [](T &t, W &w) {
             t.answerFileDialog({"folder", "file.txt"}, t.at("items"));
             T::clickToolButton(w, "Add…");
         },
         [](T &, W &w) {
             EXPECT_EQ(T::topNames(w), QStringList({"folder", "file.txt"}));
         }},
        {"Delete with its key", Command::Items,
         [](T &, W &w) {
             T::click(w, {"file.txt"});
             T::press(w, Qt::Key_Delete);
         },
         [](T &, W &w) {
             EXPECT_EQ(T::topNames(w), QStringList({"folder"}));
         }},
        {"Delete from the toolbar", Command::Items,
         [](T &, W &w) {
             T::click(w, {"folder"});
             T::clickToolButton(w, "Delete");
         },
         [](T &, W &w) {
             EXPECT_EQ(T::topNames(w), QStringList({"file.txt"}));
         }},
        {"Delete from the context menu", Command::Items,
         [](T &, W &w) { T::chooseFromContextMenu(w, {"folder"}, "Delete"); },
         [](T &, W &w) {
             EXPECT_EQ(T::topNames(w), QStringList({"file.txt"}));
         }},
        {"Zip from the menu, hidden files kept", Command::Items,
         [](T &, W &w) {
             T::chooseFromMenu(w, {"Archive", "Zip"});
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("items"), QStringList({"file.txt", "folder", "folder.zip"}));
             EXPECT_EQ(runShell("unzip -l '" + t.at("items/folder.zip") + "' | grep -q hidden"), 0);
         }},
        {"Zip As from the toolbar", Command::Items,
         [](T &t, W &w) {
             t.answerFileDialog({t.at("out")});
             T::clickToolButton(w, "Zip As…");
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("out"), QStringList({"folder.zip"}));
         }},
        {"Preference: extract on opening", Command::Empty,
         [](T &t, W &w) {
             T::togglePreference(w, "Automatic extract the file archive");
             t.answerFileDialog({t.at("a/sample.zip")});
             T::chooseFromMenu(w, {"File", "Open…"});
         },
         [](T &t, W &) {
             EXPECT_EQ(t.names("a"), QStringList({"sample", "sample.zip"}));
         }},
        {"Preference: keep the window after extracting", Command::Archive,
         [](T &, W &w) {
             T::togglePreference(w, "Close the window after extracting files");
             T::chooseFromMenu(w, {"Archive", "Extract"});
         },
         [](T &t, W &w) {
             EXPECT_EQ(t.names("a"), QStringList({"sample", "sample.zip"}));
             QTest::qWait(100);
             EXPECT_TRUE(w.isVisible());
         }},
        {"Preference: leave hidden files out of a zip", Command::Items,
         [](T &, W &w) {
             T::togglePreference(w, "The archive to ignore hidden files");
             T::clickToolButton(w, "Zip");
         },
         [](T &t, W &) {
             EXPECT_EQ(runShell("unzip -l '" + t.at("items/folder.zip") + "' | grep -q hidden"), 1);
         }},
    };
    int row = 0;
    for (const Command &command : commands) {
        SCOPED_TRACE(command.name);
        clearSettings();
        TestDesktop::instance().clear();
        folder_ = dir_.file(QString::number(row++));
        python(QStringLiteral("import os, zipfile\n"
                              "os.makedirs('%1/a')\n"
                              "os.makedirs('%1/out')\n"
                              "os.makedirs('%1/items/folder')\n"
                              "with zipfile.ZipFile('%1/a/sample.zip', 'w') as z:\n"
                              "    for name in ['docs/a.txt', 'docs/b.txt', 'docs/inner/c.txt', "
                              "'top.txt']:\n"
                              "        z.writestr(name, name)\n"
                              "for name in ['folder/inner.txt', 'folder/.hidden', 'file.txt']:\n"
                              "    open('%1/items/' + name, 'w').write(name)\n")
                   .arg(folder_));
        auto window =
            openWindow(command.start == Command::Archive ? at("a/sample.zip") : QString());
        if (command.start == Command::Items)
            addItems(*window);
        command.act(*this, *window);
        settle(*window);
        command.check(*this, *window);
        fileManager_.reset();
        EXPECT_TRUE(alerts_.isEmpty()) << alerts_.join('\n').toStdString();
        alerts_.clear();
    }
}

TEST_F(CommandsTest, ExtractingAnEncryptedArchiveAsksForItsPassword) {
    dir_.write("src/secret.txt", "hidden words");
    ASSERT_EQ(runShell("cd '" + dir_.path() + "/src' && zip -q -P pass ../locked.zip secret.txt"),
              0);
    auto window = openWindow(dir_.file("locked.zip"));
    for (const std::optional<QString> &password :
         {std::optional<QString>(), std::optional<QString>("pass")}) {
        answerDialog([password](QDialog &prompt) {
            auto &input = static_cast<QInputDialog &>(prompt);
            EXPECT_EQ(input.textEchoMode(), QLineEdit::Password);
            input.setTextValue(password.value_or("typed, then cancelled"));
            password ? input.accept() : input.reject();
        });
        clickToolButton(*window, "Extract");
        settle(*window);
        EXPECT_EQ(namesIn(dir_.path()).contains("secret.txt"), password.has_value());
    }
    EXPECT_EQ(contents(dir_.file("secret.txt")), "hidden words");
}
