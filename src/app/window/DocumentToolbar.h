#pragma once

#include <QHash>
#include <QString>
#include <QToolBar>

#include <functional>

class EncodingChooser;
class QAction;
class ArchiveDocument;

// The document window's toolbar: its buttons with their enabling rules and the encoding chooser.
class DocumentToolbar : public QToolBar {
    Q_OBJECT

public:
    static inline const QString kIdentifier = QStringLiteral("Archive Document Toolbar Identifier");

    // "Open" runs openDocument; every other button runs its document command.
    DocumentToolbar(ArchiveDocument &document, const std::function<void()> &openDocument,
                    QWidget *parent = nullptr);

    // Enables each button after its rule and the chooser exactly when an archive is shown.
    void updateCommands();
    // The button with the identifier ("ToolBarItemUnArchive", ...), or none.
    QAction *item(const QString &identifier) const { return actions_.value(identifier); }
    EncodingChooser *encodingPopup() const { return popup_; }

private:
    struct Item;
    static const QList<Item> &items();
    void addItem(const Item &item, const std::function<void()> &openDocument);
    bool isItemEnabled(const Item &item) const;

    ArchiveDocument &document_;
    QHash<QString, QAction *> actions_;
    EncodingChooser *popup_;
};
