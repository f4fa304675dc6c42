#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class DocumentWindow;
class QAction;

// The commands of a document window, each defined once with its text, tool tip, icon, key and
// enabling rule. The menu bar, the toolbar, the context menu and the keys all hold the same
// action, so a command behaves alike wherever the user reaches it.
class DocumentCommands : public QObject {
    Q_OBJECT

public:
    enum class Id {
        NewWindow,
        Open,
        Close,
        Quit,
        Extract,
        ExtractAs,
        ExtractSelected,
        ExtractSelectedAs,
        View,
        ShowInFolder,
        OpenArchiveFolder,
        Add,
        Delete,
        Zip,
        CompressAs,
        Preferences,
        About,
    };

    // The actions live as long as the window; their keys work anywhere in it.
    explicit DocumentCommands(DocumentWindow &window);

    QAction *action(Id id) const { return actions_.value(id); }
    QList<QAction *> actions(const QList<Id> &ids) const;
    // Enables each action after its rule, for the document's state and the selection now.
    void update();

private:
    struct Definition;
    static const QList<Definition> &definitions();

    DocumentWindow &window_;
    QHash<Id, QAction *> actions_;
};
