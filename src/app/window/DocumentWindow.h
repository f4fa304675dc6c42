#pragma once

#include "document/IDocumentView.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>

class BrowserContextMenu;
class DocumentBrowser;
class DocumentCommands;
class DocumentToolbar;
class EncodingItem;
class EncodingMenu;
class ListingIndicator;
class PreviewColumn;
class ProgressController;
class QMimeData;
class QtDialogs;
class StatusLine;
class ArchiveDocument;

// The window of one document: menu bar, toolbar with the encoding button, column browser with its
// context menu and preview column, status line and progress sheet; it takes drops of archives
// and files and lets entries be dragged out.
class DocumentWindow : public QMainWindow, private IDocumentView {
    Q_OBJECT

public:
    // An empty window, or one that opens the archive at the path.
    explicit DocumentWindow(const std::optional<QString> &path = std::nullopt,
                            QWidget *parent = nullptr);
    ~DocumentWindow() override;

    ArchiveDocument &document() const { return *document_; }
    DocumentBrowser &browser() const { return *browser_; }

    // "Open…": the open dialog, then openArchive.
    void chooseArchiveToOpen();
    // Opens the archive in this window when it is empty, else asks for another window.
    void openArchive(const QString &path);

signals:
    // Archives for other windows: the ones dropped after the first, or opened while this window
    // shows something.
    void openDocumentRequested(const QString &path);
    // "New Window".
    void newWindowRequested();
    // The window was closed (its document has stopped working).
    void windowClosed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildWindow();
    void browserSelected();
    void browserDoubleClick();
    // Relists the opened archive with the encoding at once, and remembers it for the archive.
    void changeEncoding(const EncodingItem &item);
    // A leaf became the browser's current item: the pane shows it, an archive entry once the
    // worker has extracted it.
    void updatePreview(const QModelIndex &index);
    // The drop's file paths when the window takes them now; none otherwise.
    std::optional<QStringList> acceptableDrop(const QMimeData *mime) const;
    // Drags the selection out as files: gathered items as they are, archive entries once
    // extracted into a private temporary folder.
    void dragSelection();

    // IDocumentView
    void showProgress(bool indeterminate) override;
    void hideProgress(int returnCode) override;
    void setProgressTopText(const QString &text) override;
    void setProgressMaxValue(quint64 maxValue) override;
    void setProgressValue(quint64 value) override;
    void setProgressBottomText(const QString &text) override;
    void reloadBrowser() override;
    void showListedEntries() override;
    void selectRememberedEncoding() override;
    void updateCommands() override;
    QList<IFileEntry *> firstColumnSelection() const override;
    QList<IFileEntry *> currentSelection() const override;
    void closeWindow() override;

    QtDialogs *dialogs_;
    std::unique_ptr<ArchiveDocument> document_;
    DocumentCommands *commands_ = nullptr;
    EncodingMenu *encodings_ = nullptr;
    DocumentBrowser *browser_ = nullptr;
    DocumentToolbar *toolbar_ = nullptr;
    StatusLine *statusLine_ = nullptr;
    ListingIndicator *listing_ = nullptr;
    BrowserContextMenu *contextMenu_ = nullptr;
    ProgressController *progress_ = nullptr;
    PreviewColumn *preview_ = nullptr;
};
