#include "document/ArchiveDocument.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "document/ArchiveRules.h"
#include "document/ArchiveSession.h"
#include "document/DocumentCompression.h"
#include "document/DocumentExtraction.h"
#include "document/DocumentPreview.h"
#include "document/IDialogs.h"
#include "document/IDocumentView.h"
#include "document/ListingFeed.h"
#include "document/MainThread.h"
#include "settings/Preferences.h"
#include "util/Cancellation.h"
#include "util/FileAttributes.h"
#include "util/PathUtil.h"

#include <QDir>
#include <QFileInfo>

ArchiveDocument::ArchiveDocument(IDocumentView &view, IDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , view_(view)
    , dialogs_(dialogs)
    , worker_(view)
    , access_(dialogs, this)
    , rootNode_(FileSystemNode::create(QStringLiteral("/")))
    , extraction_(std::make_unique<DocumentExtraction>(*this))
    , compression_(std::make_unique<DocumentCompression>(*this))
    , preview_(std::make_unique<DocumentPreview>(*this)) {
}

ArchiveDocument::~ArchiveDocument() {
    // Task endings reach into the document: let them run while it is whole.
    worker_.cancelThread();
}

void ArchiveDocument::open(const std::optional<QString> &path) {
    const QString target = path ? QFileInfo(*path).absoluteFilePath() : filePath_;
    if (target.isEmpty())
        return;
    // A new opening replaces whatever runs; the reader and the tree are about to be replaced.
    worker_.cancelThread();
    filePath_ = target;
    rootNode_->clear();
    IPasswordPrompt *prompt = this;
    session_ = std::make_unique<ArchiveSession>(filePath_, prompt, &worker_);
    state_ = State::Viewing;
    feed_ = std::make_unique<ListingFeed>(view_, *session_->rootEntry());
    view_.setProgressTopText(tr("Loading..."));
    worker_.startThread([this] { return listTask(); }, false);
    // Once the listing runs, so that the window lets go of the old tree and takes in the new one
    // only as the listing hands it over.
    view_.reloadBrowser();
}

DocumentWorker::Ending ArchiveDocument::listTask() {
    const bool opened = session_->open(ArchiveRules::rememberedEncoding(filePath_));
    if (opened && session_->reader()->reportsListingProgress()) {
        worker_.showProgress(false);
        worker_.setTotal(FileAttributes::fileSize(filePath_));
    } else {
        worker_.showProgress(true);
    }
    const ArchiveSession::ListingOutcome outcome =
        opened ? session_->list() : ArchiveSession::ListingOutcome{};
    const bool cancelled = isCurrentThreadCancelled();
    return [this, outcome, cancelled] {
        feed_.reset();
        endTask(0);
        view_.showListedEntries();
        view_.selectRememberedEncoding();
        view_.updateCommands();
        // A cancelled listing or password prompt skips the after-listing step, its alert too.
        if (!cancelled && outcome.proceed && !outcome.promptCancelled)
            extraction_->autoExtract();
    };
}

std::optional<QString> ArchiveDocument::askPassword(const QString &archiveName) {
    std::optional<QString> answer;
    MainThread::perform([&] {
        QString message = tr("Please input the password to extract file");
        // The English text has no place for the name; a translation may have one.
        if (message.contains(QLatin1String("%1")))
            message = message.arg(archiveName);
        answer = dialogs_.askPassword(message);
    });
    return answer;
}

void ArchiveDocument::close() {
    worker_.cancelThread();
    view_.closeWindow();
}

qint64 ArchiveDocument::listedCount() const {
    return feed_ ? feed_->shownCount() : 0;
}

bool ArchiveDocument::canExtractSelected() const {
    return canExtract() && !view_.currentSelection().isEmpty();
}

bool ArchiveDocument::canView() const {
    if (!canExtract())
        return false;
    const QList<IFileEntry *> items = view_.currentSelection();
    return items.size() == 1 && dynamic_cast<ArchiveEntry *>(items.first()) &&
           items.first()->isLeaf();
}

bool ArchiveDocument::canZip() const {
    return canAdd() && !rootNode_->children().isEmpty();
}

bool ArchiveDocument::canDelete() const {
    return isComposing() && !view_.firstColumnSelection().isEmpty();
}

void ArchiveDocument::extractAll() {
    preview_->cancel();
    extraction_->extractAll();
}

void ArchiveDocument::extractTo() {
    preview_->cancel();
    extraction_->extractTo();
}

void ArchiveDocument::extractSelected() {
    preview_->cancel();
    extraction_->extractSelected();
}

void ArchiveDocument::extractSelectedTo() {
    preview_->cancel();
    extraction_->extractSelectedTo();
}

void ArchiveDocument::extractSelectedForDrag(
    const std::function<void(const QStringList &)> &extracted) {
    preview_->cancel();
    extraction_->extractSelectedForDrag(extracted);
}

void ArchiveDocument::add() {
    if (canAdd())
        addFiles(dialogs_.pickFilesAndFolders());
}

void ArchiveDocument::addFiles(const QStringList &paths) {
    // An opened archive is never changed.
    if (paths.isEmpty() || !canAdd())
        return;
    FileSystemNode::List nodes;
    for (const QString &path : paths)
        nodes.append(FileSystemNode::create(QDir::cleanPath(path)));
    rootNode_->addChildren(nodes);
    state_ = State::Composing;
    view_.reloadBrowser();
    view_.updateCommands();
}

void ArchiveDocument::deleteSelected() {
    if (!isComposing())
        return;
    FileSystemNode::List nodes;
    for (const IFileEntry *item : view_.firstColumnSelection())
        nodes.append(FileSystemNode::create(item->path()));
    rootNode_->removeItems(nodes);
    if (rootNode_->children().isEmpty())
        state_ = State::Empty;
    view_.reloadBrowser();
    view_.updateCommands();
}

void ArchiveDocument::zip() {
    compression_->zip();
}

void ArchiveDocument::compressAs() {
    compression_->compressAs();
}

void ArchiveDocument::viewFile() {
    preview_->viewFile();
}

void ArchiveDocument::viewFileInPreview() {
    preview_->viewFileInPreview();
}

void ArchiveDocument::setPreviewPane(IPreviewPane *pane) {
    preview_->setPreviewPane(pane);
}

void ArchiveDocument::showInFolder() {
    if (const std::optional<QString> item = shownItem(view_.currentSelection()))
        dialogs_.showInFolder(*item);
}

void ArchiveDocument::openArchiveFolder() {
    if (const std::optional<QString> item = shownItem(view_.firstColumnSelection()))
        dialogs_.openWithDefaultApplication(PathUtil::parentFolder(*item));
}

std::optional<QString> ArchiveDocument::shownItem(QList<IFileEntry *> items) const {
    if (isViewing())
        return filePath_;
    if (!isComposing())
        return std::nullopt;
    if (items.isEmpty()) {
        for (const FileSystemNode::Ptr &node : rootNode_->children())
            items.append(node.get());
    }
    if (items.isEmpty())
        return std::nullopt;
    return items.first()->path();
}

bool ArchiveDocument::showError(const std::optional<Error> &error) {
    if (!error)
        return false;
    if (error->domain == kArchiveErrorDomain && error->code == int(ArchiveErrorCode::Cancelled))
        return true;
    dialogs_.alert(error->message, QString());
    return true;
}

void ArchiveDocument::endTask(int returnCode) {
    view_.hideProgress(returnCode);
}

void ArchiveDocument::extractionEnded(int returnCode, const std::optional<Error> &error,
                                      const ArchiveWarnings &warnings) {
    // Unlike a silent end, a failed partial extraction is shown as well: otherwise the user
    // would see nothing happen.
    if (showError(error))
        return;
    // What was left out is shown after the success, and keeps the window open to be read.
    if (!warnings.isEmpty()) {
        QStringList lines;
        for (const ArchiveWarning &warning : warnings)
            lines.append(warning.message());
        dialogs_.alert(tr("Some items were left out"), lines.join(QLatin1Char('\n')));
        return;
    }
    if (returnCode == kReturnCodeExtracted && Preferences::closeAfterExtract())
        close();
}

ArchiveEntry *ArchiveDocument::rootEntry() const {
    return session_ ? session_->rootEntry() : nullptr;
}

ArchiveReader *ArchiveDocument::reader() const {
    return session_ ? session_->reader() : nullptr;
}

QString ArchiveDocument::zipFileName() const {
    return compression_->zipFileName();
}
