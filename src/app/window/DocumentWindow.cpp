#include "app/window/DocumentWindow.h"

#include "app/dialogs/ProgressController.h"
#include "app/dialogs/QtDialogs.h"
#include "app/preview/PreviewColumn.h"
#include "app/window/BrowserContextMenu.h"
#include "app/window/DocumentBrowser.h"
#include "app/window/DocumentCommands.h"
#include "app/window/DocumentMenuBar.h"
#include "app/window/DocumentToolbar.h"
#include "app/window/EncodingMenu.h"
#include "app/window/EntryBrowserModel.h"
#include "app/window/ListingIndicator.h"
#include "app/window/StatusLine.h"
#include "archive/ArchiveEntry.h"
#include "archive/ReaderBase.h"
#include "document/ArchiveDocument.h"
#include "document/ArchiveRules.h"
#include "document/ArchiveSession.h"
#include "document/FileSystemNode.h"
#include "settings/RecentArchives.h"
#include "settings/RememberedEncodings.h"
#include "util/FileKinds.h"
#include "util/PathUtil.h"

#include <QCloseEvent>
#include <QDrag>
#include <QEventLoop>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>

DocumentWindow::DocumentWindow(const std::optional<QString> &path, QWidget *parent)
    : QMainWindow(parent)
    , dialogs_(new QtDialogs(this))
    , document_(std::make_unique<ArchiveDocument>(static_cast<IDocumentView &>(*this), *dialogs_)) {
    buildWindow();
    reloadBrowser();
    if (path)
        document_->open(*path);
}

DocumentWindow::~DocumentWindow() {
    // A running task (a listing handing entries over, an ending) still reaches the window and
    // the document: end it while both are whole, before the document goes.
    document_->cancelThread();
    document_.reset();
}

void DocumentWindow::buildWindow() {
    setAcceptDrops(true);
    resize(960, 560);
    browser_ = new DocumentBrowser(this);
    setCentralWidget(browser_);
    statusLine_ = new StatusLine(this);
    statusBar()->addWidget(statusLine_, 1);
    listing_ = new ListingIndicator(this);
    statusBar()->addPermanentWidget(listing_);
    commands_ = new DocumentCommands(*this);
    encodings_ = new EncodingMenu(this);
    setMenuBar(new DocumentMenuBar(*this, *commands_, encodings_));
    toolbar_ = new DocumentToolbar(*commands_, encodings_, this);
    addToolBar(toolbar_);
    progress_ = new ProgressController(this);
    contextMenu_ = new BrowserContextMenu(*commands_, this);
    preview_ = new PreviewColumn;
    preview_->setDocument(document_.get());
    preview_->setBrowser(browser_);
    browser_->setPreview(preview_);

    connect(encodings_, &EncodingMenu::encodingChosen, this, &DocumentWindow::changeEncoding);
    connect(progress_, &ProgressController::cancelRequested, this,
            [this] { document_->cancelThread(); });
    connect(listing_, &ListingIndicator::cancelRequested, this,
            [this] { document_->cancelThread(); });
    connect(browser_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DocumentWindow::browserSelected);
    connect(browser_, &DocumentBrowser::itemDoubleClicked, this,
            &DocumentWindow::browserDoubleClick);
    connect(browser_, &QColumnView::updatePreviewWidget, this, &DocumentWindow::updatePreview);
    connect(browser_, &DocumentBrowser::contextMenuRequested, contextMenu_,
            &BrowserContextMenu::popupFor);
    connect(browser_, &DocumentBrowser::dragRequested, this, &DocumentWindow::dragSelection);
}

void DocumentWindow::updatePreview(const QModelIndex &index) {
    // An entry's details may still change while the listing runs: the pane waits for its end.
    IFileEntry *item = document_->isListing() ? nullptr : browser_->entryModel()->item(index);
    preview_->setRepresentedObject(item);
    if (!dynamic_cast<ArchiveEntry *>(item))
        return;
    // Queued: a click makes the row current before it selects it, and the extraction takes the
    // selection.
    QMetaObject::invokeMethod(
        this, [this] { document_->viewFileInPreview(); }, Qt::QueuedConnection);
}

void DocumentWindow::chooseArchiveToOpen() {
    if (const std::optional<QString> path = dialogs_->pickArchive())
        openArchive(*path);
}

void DocumentWindow::openArchive(const QString &path) {
    if (document_->isEmpty())
        document_->open(path);
    else
        emit openDocumentRequested(path);
}

void DocumentWindow::changeEncoding(const EncodingItem &item) {
    ArchiveSession *session = document_->session();
    if (!document_->canExtract() || document_->filePath().isEmpty() || !session ||
        !session->reader())
        return;
    // The reader serves one thread at a time: a running preview or extraction stops first.
    document_->cancelThread();
    const QString filePath = document_->filePath();
    RememberedEncodings::remember(filePath, item.name());
    session->reader()->setFileEncoding(ArchiveRules::rememberedEncoding(filePath));
    // The tree is about to be emptied: the browser lets go of its entries first.
    browser_->entryModel()->setRoot(nullptr);
    session->relist();
    reloadBrowser();
}

void DocumentWindow::browserSelected() {
    statusLine_->browserSelected(*document_, browser_->entryModel()->root(), currentSelection());
    updateCommands();
}

void DocumentWindow::browserDoubleClick() {
    if (document_->canView()) {
        document_->viewFile();
        return;
    }
    const QList<IFileEntry *> selected = currentSelection();
    if (document_->canAdd() && selected.size() == 1 &&
        dynamic_cast<FileSystemNode *>(selected.first()))
        dialogs_->openWithDefaultApplication(selected.first()->path());
}

void DocumentWindow::dragSelection() {
    const QList<IFileEntry *> items = currentSelection();
    // Entries are extracted for a drag once the listing has ended.
    if (items.isEmpty() || document_->isListing())
        return;
    QStringList paths;
    if (document_->isComposing()) {
        for (const IFileEntry *item : items)
            paths.append(item->path());
    } else {
        // The drag starts once the entries are on disk, the sheet showing meanwhile; a running
        // preview gives way.
        QEventLoop extraction;
        connect(&document_->worker(), &DocumentWorker::taskEnded, &extraction, &QEventLoop::quit);
        document_->extractSelectedForDrag(
            [&paths](const QStringList &extracted) { paths = extracted; });
        if (document_->isExecuting())
            extraction.exec();
    }
    if (paths.isEmpty() || !isVisible())
        return;
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime->setUrls(urls);
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

void DocumentWindow::closeEvent(QCloseEvent *event) {
    // A running task ends before its window goes.
    document_->cancelThread();
    QMainWindow::closeEvent(event);
    emit windowClosed();
}

std::optional<QStringList> DocumentWindow::acceptableDrop(const QMimeData *mime) const {
    if (document_->isExecuting() || !mime->hasUrls())
        return std::nullopt;
    QStringList paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    if (paths.isEmpty())
        return std::nullopt;
    const bool allArchives = std::all_of(paths.begin(), paths.end(), FileKinds::isArchive);
    // An opened archive is never changed: files are gathered only in other windows.
    if (!allArchives && document_->canExtract())
        return std::nullopt;
    return paths;
}

void DocumentWindow::dragEnterEvent(QDragEnterEvent *event) {
    if (event->source() != this && acceptableDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DocumentWindow::dropEvent(QDropEvent *event) {
    // Checked again: a task may have started since the drag entered.
    const std::optional<QStringList> paths = acceptableDrop(event->mimeData());
    if (!paths) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!std::all_of(paths->begin(), paths->end(), FileKinds::isArchive)) {
        document_->addFiles(*paths);
        return;
    }
    document_->open(paths->first());
    show();
    raise();
    for (const QString &path : paths->mid(1))
        emit openDocumentRequested(path);
}

void DocumentWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    preview_->windowSizeChange();
}

void DocumentWindow::showProgress(bool indeterminate) {
    // A listing shows the window's entries as they come: its sign is in the status line, which
    // leaves the window usable, instead of the sheet over it.
    if (document_->isListing())
        listing_->start();
    else
        progress_->showProgress(indeterminate);
}

void DocumentWindow::hideProgress(int returnCode) {
    if (listing_->isRunning())
        listing_->stop();
    else
        progress_->hideProgress(returnCode);
}

void DocumentWindow::setProgressTopText(const QString &text) {
    progress_->setTopText(text);
}

void DocumentWindow::setProgressMaxValue(quint64 maxValue) {
    if (!listing_->isRunning())
        progress_->setMaxValue(maxValue);
}

void DocumentWindow::setProgressValue(quint64 value) {
    if (!listing_->isRunning())
        progress_->setValue(value);
}

void DocumentWindow::setProgressBottomText(const QString &text) {
    if (!listing_->isRunning())
        progress_->setBottomText(text);
}

void DocumentWindow::reloadBrowser() {
    // The pane lets go of its item before the tree it belongs to is replaced.
    preview_->setRepresentedObject(nullptr);
    IFileEntry *root = nullptr;
    if (!document_->isEmpty()) {
        root = document_->isViewing() ? static_cast<IFileEntry *>(document_->rootEntry())
                                      : document_->rootNode().get();
    }
    // While a listing runs the worker is filling the tree: the browser reads it only as it is
    // handed over.
    browser_->entryModel()->setRoot(root, document_->isListing());
    browser_->selectFirstDirectory();
    const QString filePath = document_->filePath();
    setWindowTitle(filePath.isEmpty() ? tr("Untitled") : PathUtil::fileName(filePath));
    browserSelected();
}

void DocumentWindow::showListedEntries() {
    const bool listing = document_->isListing();
    browser_->entryModel()->grow(listing);
    // As on opening, the first folder is selected until the user has chosen something.
    if (!browser_->currentIndex().isValid())
        browser_->selectFirstDirectory();
    const QModelIndex current = browser_->currentIndex();
    if (!listing && current.isValid() && !browser_->entryModel()->hasChildren(current))
        updatePreview(current);
    browserSelected();
}

void DocumentWindow::selectRememberedEncoding() {
    if (!document_->isViewing() || document_->filePath().isEmpty())
        return;
    encodings_->selectRememberedEncoding(document_->filePath());
    const ReaderBase *reader = document_->session() ? document_->session()->reader() : nullptr;
    encodings_->setDetectedEncoding(reader ? reader->encodingName() : QString());
    // Called once a listing has ended: the archive opened is one to offer again.
    if (reader && !reader->archiveError())
        RecentArchives::add(document_->filePath());
}

void DocumentWindow::updateCommands() {
    commands_->update();
    encodings_->menuAction()->setEnabled(document_->canExtract());
    toolbar_->setEncodingEnabled(document_->canExtract());
}

QList<IFileEntry *> DocumentWindow::firstColumnSelection() const {
    return browser_->selectedItemsInColumnZero();
}

QList<IFileEntry *> DocumentWindow::currentSelection() const {
    return browser_->selectedItems();
}

void DocumentWindow::closeWindow() {
    // The document may still be on the call stack.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
