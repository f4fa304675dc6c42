#include "app/window/DocumentCommands.h"

#include "app/dialogs/AboutDialog.h"
#include "app/preferences/PreferencesWindow.h"
#include "app/preview/Icons.h"
#include "app/window/DocumentBrowser.h"
#include "app/window/DocumentWindow.h"
#include "document/ArchiveDocument.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>

struct DocumentCommands::Definition {
    Id id;
    const char *text;
    const char *toolTip;
    // The desktop theme's icon, else the bundled one of that name; none when both are null.
    const char *themeIcon;
    const char *bundledIcon;
    QKeySequence key;
    // None: always enabled.
    bool (*enabled)(const DocumentWindow &window);
    void (*run)(DocumentWindow &window);
};

namespace {

bool showsSomething(const DocumentWindow &window) {
    return window.document().isViewing() || window.document().isComposing();
}

} // namespace

const QList<DocumentCommands::Definition> &DocumentCommands::definitions() {
    using W = DocumentWindow;
    static const QList<Definition> table = {
        {Id::NewWindow, QT_TR_NOOP("New Window"), QT_TR_NOOP("Open an empty window"), "window-new",
         nullptr, QKeySequence(Qt::CTRL | Qt::Key_N), nullptr,
         [](W &w) {
             emit w.newWindowRequested();
         }},
        {Id::Open, QT_TR_NOOP("Open…"), QT_TR_NOOP("Open an archive"), "document-open", "open",
         QKeySequence(Qt::CTRL | Qt::Key_O), nullptr,
         [](W &w) {
             w.chooseArchiveToOpen();
         }},
        {Id::Close, QT_TR_NOOP("Close"), QT_TR_NOOP("Close this window"), "window-close", nullptr,
         QKeySequence(Qt::CTRL | Qt::Key_W), nullptr,
         [](W &w) {
             w.close();
         }},
        {Id::Quit, QT_TR_NOOP("Quit"), QT_TR_NOOP("Close every window and quit"),
         "application-exit", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Q), nullptr,
         [](W &) {
             QApplication::closeAllWindows();
             QCoreApplication::quit();
         }},
        {Id::Extract, QT_TR_NOOP("Extract"), QT_TR_NOOP("Extract the archive into its folder"),
         "archive-extract", "extract", QKeySequence(Qt::CTRL | Qt::Key_E),
         [](const W &w) { return w.document().canExtract(); },
         [](W &w) {
             w.document().extractAll();
         }},
        {Id::ExtractAs, QT_TR_NOOP("Extract As…"),
         QT_TR_NOOP("Extract the archive into a folder you choose"), nullptr, "extract-as",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
         [](const W &w) { return w.document().canExtract(); },
         [](W &w) {
             w.document().extractTo();
         }},
        {Id::ExtractSelected, QT_TR_NOOP("Extract Selected"),
         QT_TR_NOOP("Extract the selected entries into the archive's folder"), "archive-extract",
         "extract", QKeySequence(), [](const W &w) { return w.document().canExtractSelected(); },
         [](W &w) {
             w.document().extractSelected();
         }},
        {Id::ExtractSelectedAs, QT_TR_NOOP("Extract Selected As…"),
         QT_TR_NOOP("Extract the selected entries into a folder you choose"), nullptr, "extract-as",
         QKeySequence(), [](const W &w) { return w.document().canExtractSelected(); },
         [](W &w) {
             w.document().extractSelectedTo();
         }},
        {Id::View, QT_TR_NOOP("View"), QT_TR_NOOP("Open the selected entry in its application"),
         "document-open", nullptr, QKeySequence(Qt::Key_Return),
         [](const W &w) { return w.document().canView(); },
         [](W &w) {
             w.document().viewFile();
         }},
        {Id::ShowInFolder, QT_TR_NOOP("Show in Folder"),
         QT_TR_NOOP("Show the archive or the selected item in the file manager"), "folder", nullptr,
         QKeySequence(), &showsSomething,
         [](W &w) {
             w.document().showInFolder();
         }},
        {Id::OpenArchiveFolder, QT_TR_NOOP("Open Archive's Folder"),
         QT_TR_NOOP("Open the folder that holds the archive or the items"), "folder-open", nullptr,
         QKeySequence(), &showsSomething,
         [](W &w) {
             w.document().openArchiveFolder();
         }},
        {Id::Add, QT_TR_NOOP("Add…"), QT_TR_NOOP("Add files and folders to compress"), "list-add",
         "add", QKeySequence(), [](const W &w) { return w.document().canAdd(); },
         [](W &w) {
             w.document().add();
         }},
        // Only the gathered items themselves, in the first column, can leave the list.
        {Id::Delete, QT_TR_NOOP("Delete"), QT_TR_NOOP("Take the selected items off the list"),
         "list-remove", "remove", QKeySequence(Qt::Key_Delete),
         [](const W &w) { return w.document().canDelete() && w.browser().selectedColumn() == 0; },
         [](W &w) {
             w.document().deleteSelected();
         }},
        {Id::Zip, QT_TR_NOOP("Zip"), QT_TR_NOOP("Compress the items into a zip beside them"),
         "archive-insert", "zip", QKeySequence(), [](const W &w) { return w.document().canZip(); },
         [](W &w) {
             w.document().zip();
         }},
        {Id::CompressAs, QT_TR_NOOP("Compress As…"),
         QT_TR_NOOP("Compress the items into a zip, tar or 7z archive you name"), nullptr, "zip-as",
         QKeySequence(), [](const W &w) { return w.document().canZip(); },
         [](W &w) {
             w.document().compressAs();
         }},
        {Id::Preferences, QT_TR_NOOP("Preferences…"), QT_TR_NOOP("Change Kist's settings"),
         "preferences-system", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Comma), nullptr,
         [](W &) {
             PreferencesWindow::showWindow();
         }},
        {Id::About, QT_TR_NOOP("About Kist"),
         QT_TR_NOOP("Kist's version and the libraries it uses"), "help-about", nullptr,
         QKeySequence(), nullptr,
         [](W &w) {
             AboutDialog::show(&w);
         }},
    };
    return table;
}

DocumentCommands::DocumentCommands(DocumentWindow &window)
    : QObject(&window)
    , window_(window) {
    for (const Definition &definition : definitions()) {
        auto *action = new QAction(tr(definition.text), this);
        // Set outright: the text the toolbar derives would drop the "…".
        action->setIconText(action->text());
        action->setToolTip(tr(definition.toolTip));
        action->setShortcut(definition.key);
        if (definition.themeIcon || definition.bundledIcon)
            action->setIcon(Icons::themed(definition.themeIcon, definition.bundledIcon));
        // This object is the connection's context, never a menu or toolbar that shows the
        // action: a QMenu cuts every connection to itself when the action leaves it.
        connect(action, &QAction::triggered, this, [this, run = definition.run] { run(window_); });
        actions_.insert(definition.id, action);
    }
    action(Id::Preferences)->setMenuRole(QAction::PreferencesRole);
    action(Id::Quit)->setMenuRole(QAction::QuitRole);
    action(Id::About)->setMenuRole(QAction::AboutRole);
    // The keys work wherever the focus is in the window.
    window.addActions(actions_.values());
}

QList<QAction *> DocumentCommands::actions(const QList<Id> &ids) const {
    QList<QAction *> list;
    for (const Id id : ids)
        list.append(action(id));
    return list;
}

void DocumentCommands::update() {
    for (const Definition &definition : definitions())
        action(definition.id)->setEnabled(!definition.enabled || definition.enabled(window_));
}
