#include "WindowTestKit.h"

#include "document/ArchiveDocument.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QMimeData>

namespace {

bool dragEnters(DocumentWindow &window, const QStringList &paths) {
    const auto data = WindowTest::fileDrag(paths);
    QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
    return event.isAccepted() && event.dropAction() == Qt::CopyAction;
}

} // namespace

class DropTest : public WindowTest {};

TEST_F(DropTest, ArchivesAreTakenAlwaysAndFilesOnlyWhereTheyCanBeGathered) {
    const QString archive = makeZip("a.zip", {"f/", "f/x.txt"});
    const QString text = dir_.write("notes.txt", "notes");
    const QString other = dir_.file("b.rar");
    struct Case {
        const char *name;
        bool showArchive;
        QStringList dropped;
        bool accepted;
    };
    const QList<Case> cases = {
        {"archives onto an empty window", false, {archive, other}, true},
        {"a text file onto an empty window", false, {text}, true},
        {"archives onto an archive window", true, {archive, other}, true},
        {"a text file onto an archive window", true, {text}, false},
        {"a text file among archives onto an archive window", true, {archive, text}, false},
        {"nothing", false, {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto window = openWindow(c.showArchive ? archive : QString());
        EXPECT_EQ(dragEnters(*window, c.dropped), c.accepted);
    }
    DocumentWindow loading(archive);
    ASSERT_TRUE(loading.document().isExecuting());
    EXPECT_FALSE(dragEnters(loading, {archive})) << "nothing while a task runs";
    settle(loading);
    EXPECT_TRUE(dragEnters(loading, {archive}));

    // Dropped files are gathered and an archive replaces them; where the other archives of one
    // drop go is in AppShellTest.
    auto window = openWindow();
    drop(*window, {text});
    EXPECT_EQ(topNames(*window), QStringList({"notes.txt"}));
    drop(*window, {archive});
    settle(*window);
    EXPECT_EQ(window->document().state(), ArchiveDocument::State::Viewing);
    EXPECT_EQ(topNames(*window), QStringList({"f"}));
}
