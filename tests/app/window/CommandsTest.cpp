#include "WindowTestKit.h"

#include "../TestDesktop.h"
#include "support/ArchiveKit.h"

#include <QDir>
#include <QInputDialog>
#include <QTest>

class CommandsTest;

namespace {

// A user command reached the way a user reaches it, and what it leaves on disk or on screen.
struct Command {
    const char *name = "";
    // What the window shows first: the archive, the gathered items, or nothing.
    enum { Archive, Items, Empty } start = Archive;
    // Items clicked first ("docs/a.txt": its folders before it), the later ones with Ctrl.
    const char *clicked = "";
    // "key:Ctrl+E", "menu:Archive/Extract", "tool:Zip", or "context:View" on the clicked item.
    const char *route = "";
    // The file dialog's answer below the row's folder: a path, or a folder and the names chosen
    // in it, then the name filter chosen ("filter:tar.xz " for the one beginning so); "-" cancels
    // it.
    const char *chooser = "";
    // Where the result shows: the names in a folder below the row's folder, "" the names in the
    // browser, "viewed" the contents of the copies and "opened" the folders opened through the
    // desktop, "zipped" the entries of items/folder.zip.
    const char *look = nullptr;
    const char *expected = "";
    // A preference box clicked first.
    const char *preference = nullptr;
    bool closes = false;
    bool withFileManager = false;
    std::function<void(CommandsTest &)> check = nullptr;
};

} // namespace

// Each row's folder holds a/sample.zip (docs/a.txt, docs/b.txt, docs/inner/c.txt, top.txt),
// items/folder (inner.txt, .hidden), items/file.txt, and an empty out/.
class CommandsTest : public WindowTest {
public:
    QString folder_;
    std::unique_ptr<FakeFileManager> fileManager_;

    QString at(const QString &name) const { return folder_ + QLatin1Char('/') + name; }
    QStringList names(const QString &name) const { return namesIn(at(name)); }
    void perform(DocumentWindow &window, const Command &command) {
        if (command.preference) {
            press(window, "Ctrl+,");
            clickPreference(command.preference);
        }
        QList<QStringList> clicked;
        for (const QString &path : QString(command.clicked).split(' ', Qt::SkipEmptyParts))
            clicked.append(path.split('/'));
        const QString how = QString(command.route).section(':', 0, 0);
        const QString what = QString(command.route).section(':', 1);
        const QStringList rightClicked = how == "context" ? clicked.takeLast() : QStringList();
        for (qsizetype i = 0; i < clicked.size(); ++i) {
            if (i == 0)
                click(window, clicked[i]);
            else
                clickItem(window, clicked[i], Qt::LeftButton, Qt::ControlModifier);
        }
        QStringList chooser = QString(command.chooser).split(' ', Qt::SkipEmptyParts);
        const QString filter = !chooser.isEmpty() && chooser.last().startsWith("filter:")
                                   ? chooser.takeLast().section(':', 1) + ' '
                                   : QString();
        if (chooser == QStringList{"-"})
            answerDialog([](QDialog &dialog) { dialog.reject(); });
        else if (chooser.size() == 1)
            answerFileDialog({at(chooser.first())});
        else if (!chooser.isEmpty())
            answerFileDialog(chooser.mid(1), at(chooser.first()), filter);
        if (how == "key")
            press(window, what);
        else if (how == "menu")
            chooseFromMenu(window, what.split('/'));
        else if (how == "tool")
            clickToolButton(window, what);
        else if (rightClicked.size() > 1)
            click(window, rightClicked.mid(0, rightClicked.size() - 1));
        if (how == "context")
            contextMenu(window, rightClicked, what);
    }
    // What the row's look names, one word per name or file.
    QStringList result(const DocumentWindow &window, const QString &look) {
        const QStringList opened = TestDesktop::instance().openedPaths();
        QStringList found;
        if (look == "viewed") {
            for (const QString &path : opened)
                found.append(QString::fromUtf8(ArchiveKit::readFile(path)));
        } else if (look == "opened") {
            EXPECT_TRUE(
                QTest::qWaitFor([] { return !TestDesktop::instance().openedPaths().isEmpty(); }));
            for (const QString &path : TestDesktop::instance().openedPaths())
                found.append(QDir(folder_).relativeFilePath(path));
        } else if (look == "zipped") {
            found = ArchiveKit::toolListing(at("items/folder.zip"));
        } else {
            found = look.isEmpty() ? topNames(window) : names(look);
        }
        return found;
    }
};

TEST_F(CommandsTest, EachCommandDoesItsWork) {
    const QList<Command> commands = {
        {"Extract with its key, closing the window", Command::Archive, "", "key:Ctrl+E", "", "a",
         "sample sample.zip", nullptr, true, false,
         [](CommandsTest &t) {
             EXPECT_EQ(ArchiveKit::readFile(t.at("a/sample/docs/a.txt")), "docs/a.txt");
         }},
        {"Extract As from the toolbar", Command::Archive, "", "tool:Extract As…", "out", "out",
         "sample", nullptr, true},
        {"Extract Selected on a file in the second column", Command::Archive, "docs/a.txt",
         "context:Extract Selected", "", "a", "a.txt sample.zip"},
        {"Extract Selected on a folder in the first column", Command::Archive, "docs",
         "context:Extract Selected", "", "a/docs", "a.txt b.txt inner"},
        {"Extract Selected from the menu on two files", Command::Archive, "docs/a.txt docs/b.txt",
         "menu:Archive/Extract Selected", "", "a/docs", "a.txt b.txt"},
        {"Extract Selected As from the context menu", Command::Archive, "docs/inner",
         "context:Extract Selected As…", "out", "out/inner", "c.txt"},
        {"Extract Selected As from the menu, chooser cancelled", Command::Archive, "top.txt",
         "menu:Archive/Extract Selected As…", "-", "a", "sample.zip", nullptr, false, false,
         [](CommandsTest &t) {
             EXPECT_TRUE(t.names("out").isEmpty());
         }},
        {"View with Return", Command::Archive, "docs/a.txt", "key:Return", "", "viewed",
         "docs/a.txt"},
        {"View from the context menu", Command::Archive, "docs/b.txt", "context:View", "", "viewed",
         "docs/b.txt"},
        {"View from the menu", Command::Archive, "top.txt", "menu:Archive/View", "", "viewed",
         "top.txt"},
        {"Show in Folder asks the file manager to select the archive", Command::Archive, "docs",
         "context:Show in Folder", "", nullptr, "", nullptr, false, true,
         [](CommandsTest &t) {
             ASSERT_TRUE(t.fileManager_->isRunning()) << "no private session bus";
             EXPECT_TRUE(QTest::qWaitFor([&] { return !t.fileManager_->shown.isEmpty(); }));
             EXPECT_EQ(t.fileManager_->shown, QStringList{t.at("a/sample.zip")});
             EXPECT_TRUE(TestDesktop::instance().openedPaths().isEmpty());
         }},
        {"Show in Folder without a file manager opens the folder", Command::Items, "",
         "menu:Archive/Show in Folder", "", "opened", "items"},
        {"Open Archive's Folder", Command::Archive, "", "menu:Archive/Open Archive's Folder", "",
         "opened", "a"},
        {"Open with its key", Command::Empty, "", "key:Ctrl+O", "a/sample.zip", "", "docs top.txt"},
        {"Add takes a folder and a file in one chooser", Command::Empty, "", "tool:Add…",
         "items folder file.txt", "", "folder file.txt"},
        {"Delete with its key", Command::Items, "file.txt", "key:Del", "", "", "folder"},
        {"Delete from the toolbar", Command::Items, "folder", "tool:Delete", "", "", "file.txt"},
        {"Delete from the context menu", Command::Items, "folder", "context:Delete", "", "",
         "file.txt"},
        {"Zip from the menu, hidden files kept", Command::Items, "", "menu:Archive/Zip", "",
         "zipped", "file.txt folder/ folder/.hidden folder/inner.txt"},
        {"Compress As from the toolbar, the zip filter adding its extension", Command::Items, "",
         "tool:Compress As…", "out folder", "out", "folder.zip"},
        {"Compress As from the menu, the typed extension choosing tar.gz", Command::Items, "",
         "menu:Archive/Compress As…", "out backup.tar.gz", "out", "backup.tar.gz"},
        // The dialog turns "backup.7z" into "backup.gz" when the tar.gz filter is chosen.
        {"Compress As, a typed name under the tar.gz filter chosen afterwards", Command::Items, "",
         "tool:Compress As…", "out backup.7z filter:tar.gz", "out", "backup.tar.gz"},
        // The filter's format names the archive; what the job writes is the document tests'.
        {"Compress As with the tar.xz filter", Command::Items, "", "tool:Compress As…",
         "out backup filter:tar.xz", "out", "backup.tar.xz"},
        {"Preference: extract on opening", Command::Empty, "", "menu:File/Open…", "a/sample.zip",
         "a", "sample sample.zip", "Automatic extract the file archive", true},
        {"Preference: keep the window after extracting", Command::Archive, "",
         "menu:Archive/Extract", "", "a", "sample sample.zip",
         "Close the window after extracting files"},
        {"Preference: leave hidden files out of a zip", Command::Items, "", "tool:Zip", "",
         "zipped", "file.txt folder/ folder/inner.txt", "The archive to ignore hidden files"},
    };
    int row = 0;
    for (const Command &command : commands) {
        SCOPED_TRACE(command.name);
        clearSettings();
        TestDesktop::instance().clear();
        folder_ = dir_.file(QString::number(row++));
        for (const char *name : {"folder/inner.txt", "folder/.hidden", "file.txt"})
            ArchiveKit::writeFile(at("items"), name, name);
        QDir().mkpath(at("out"));
        QDir().mkpath(at("a"));
        makeZip(at("a/sample.zip"), {"docs/a.txt", "docs/b.txt", "docs/inner/c.txt", "top.txt"});
        auto window =
            openWindow(command.start == Command::Archive ? at("a/sample.zip") : QString());
        if (command.start == Command::Items)
            perform(*window,
                    {"", Command::Empty, "", "menu:Archive/Add…", "items folder file.txt"});
        if (command.withFileManager)
            fileManager_ = std::make_unique<FakeFileManager>();
        perform(*window, command);
        settle(*window);
        if (command.look) {
            EXPECT_EQ(result(*window, command.look).join(' ').toStdString(), command.expected);
        }
        if (command.closes) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
        } else {
            QTest::qWait(100);
            EXPECT_TRUE(window->isVisible());
        }
        if (command.check)
            command.check(*this);
        fileManager_.reset();
        EXPECT_TRUE(alerts_.isEmpty()) << alerts_.join('\n').toStdString();
        alerts_.clear();
    }
}

TEST_F(CommandsTest, ExtractingAnEncryptedArchiveAsksForItsPassword) {
    dir_.write("src/secret.txt", "hidden words");
    shell("cd src && zip -q -P pass ../locked.zip secret.txt");
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
    EXPECT_EQ(ArchiveKit::readFile(dir_.file("secret.txt")), "hidden words");
}
