#include "app/window/DocumentToolbar.h"

#include "app/window/EncodingChooser.h"
#include "document/ArchiveDocument.h"

#include <QAction>
#include <QIcon>
#include <QStyle>

struct DocumentToolbar::Item {
    const char *identifier;
    const char *label;
    const char *tooltip;
    const char *themeIcon;
    QStyle::StandardPixmap fallbackIcon;
    // The command; none for "Open", which the window handles.
    void (*action)(ArchiveDocument &);
    // The enabling rule; none for always.
    bool (ArchiveDocument::*enabled)() const;
};

const QList<DocumentToolbar::Item> &DocumentToolbar::items() {
    static const QList<Item> table = {
        {"ToolBarItemUnArchive", QT_TR_NOOP("Extract"),
         QT_TR_NOOP("Decompress files to the current folder"), "archive-extract",
         QStyle::SP_ArrowDown, [](ArchiveDocument &document) { document.extractAll(); },
         &ArchiveDocument::canExtract},
        {"ToolBarItemUnArchiveTo", QT_TR_NOOP("Extract As..."),
         QT_TR_NOOP("Decompress files to the chosen directory"), "document-save-as",
         QStyle::SP_DialogSaveButton, [](ArchiveDocument &document) { document.extractTo(); },
         &ArchiveDocument::canExtract},
        {"ToolBarItemOpenDocument", QT_TR_NOOP("Open"), QT_TR_NOOP("Open the archive file"),
         "document-open", QStyle::SP_DialogOpenButton, nullptr, nullptr},
        {"ToolBarItemSaveZip", QT_TR_NOOP("Zip"), QT_TR_NOOP("Compress files"), "archive-insert",
         QStyle::SP_ArrowUp, [](ArchiveDocument &document) { document.zip(); },
         &ArchiveDocument::canZip},
        {"ToolBarItemSaveZipTo", QT_TR_NOOP("Zip As..."),
         QT_TR_NOOP("Compress files to the chosen directory"), "document-save",
         QStyle::SP_DriveHDIcon, [](ArchiveDocument &document) { document.zipTo(); },
         &ArchiveDocument::canZip},
        {"ToolBarItemAddToZip", QT_TR_NOOP("Add"), QT_TR_NOOP("Add files to compress"), "list-add",
         QStyle::SP_FileDialogNewFolder, [](ArchiveDocument &document) { document.add(); },
         &ArchiveDocument::canAdd},
        {"ToolBarItemDeleteZipFiles", QT_TR_NOOP("Delete"), QT_TR_NOOP("Delete"), "list-remove",
         QStyle::SP_TrashIcon, [](ArchiveDocument &document) { document.deleteSelected(); },
         &ArchiveDocument::canDelete},
    };
    return table;
}

DocumentToolbar::DocumentToolbar(ArchiveDocument &document,
                                 const std::function<void()> &openDocument, QWidget *parent)
    : QToolBar(parent)
    , document_(document)
    , popup_(new EncodingChooser(this)) {
    setObjectName(kIdentifier);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setMovable(false);
    for (const Item &item : items()) {
        if (!actions_.isEmpty())
            addSeparator();
        addItem(item, openDocument);
    }
    auto *flexibleSpace = new QWidget(this);
    flexibleSpace->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(flexibleSpace);
    addWidget(popup_);
    updateCommands();
}

void DocumentToolbar::addItem(const Item &item, const std::function<void()> &openDocument) {
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(item.themeIcon),
                                        style()->standardIcon(item.fallbackIcon));
    QAction *action = addAction(icon, tr(item.label));
    // Set outright: the derived button text would drop the label's "...".
    action->setIconText(tr(item.label));
    action->setObjectName(QString::fromLatin1(item.identifier));
    action->setToolTip(tr(item.tooltip));
    if (item.action)
        connect(action, &QAction::triggered, this,
                [this, command = item.action] { command(document_); });
    else
        connect(action, &QAction::triggered, this, openDocument);
    actions_.insert(action->objectName(), action);
}

bool DocumentToolbar::isItemEnabled(const Item &item) const {
    return !item.enabled || (document_.*item.enabled)();
}

void DocumentToolbar::updateCommands() {
    for (const Item &item : items())
        actions_.value(QString::fromLatin1(item.identifier))->setEnabled(isItemEnabled(item));
    popup_->setEnabled(document_.canExtract());
}
