#include "document/ZipDocument.h"

#include "app/core/Preferences.h"
#include "app/core/SandBoxUtils.h"
#include "archive/ArchiveError.h"
#include "archive/ZipEntry.h"
#include "document/ArchiveRules.h"
#include "document/ArchiveSession.h"
#include "document/DocumentCompression.h"
#include "document/DocumentExtraction.h"
#include "document/DocumentPreview.h"
#include "document/IDialogs.h"
#include "document/IDocumentView.h"
#include "document/MainThread.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"

#include <QDir>
#include <QFileInfo>

ZipDocument::ZipDocument(IDocumentView &view, IDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , view_(view)
    , dialogs_(dialogs)
    , worker_(view)
    , access(dialogs, this, SandBoxUtils::isInSandBox())
    , rootNode_(FileSystemNode::create(QStringLiteral("/")))
    , extraction(std::make_unique<DocumentExtraction>(*this))
    , compression(std::make_unique<DocumentCompression>(*this))
    , preview(std::make_unique<DocumentPreview>(*this)) {
}

ZipDocument::~ZipDocument() {
    // Task endings reach into the document: let them run while it is whole.
    worker_.cancelThread();
}

void ZipDocument::loadFileStart(const std::optional<QString> &path) {
    if (path)
        filePath_ = QFileInfo(*path).absoluteFilePath();
    if (filePath_.isEmpty())
        return;
    // A new opening replaces whatever runs; the reader and the tree are about to be replaced.
    worker_.cancelThread();
    const QString folder = FileUtil::getFileDirectory(filePath_);
    if (ArchiveRules::isRarPart(filePath_) && !FileUtil::isWriteAble(folder)) {
        const auto grant = SandBoxUtils::getBookMarkURL(folder, false);
        if (!grant) {
            access.pickDirectorySelector([this] { loadFileStartSetPermission(); }, folder);
            return;
        }
        access.startAccessingSecurityScopedResource(grant);
    }
    startListing();
}

void ZipDocument::loadFileStartSetPermission() {
    access.startAccessingSecurityScopedResource();
    const QString folder = FileUtil::getFileDirectory(filePath_);
    if (QDir::cleanPath(access.destination()) != QDir::cleanPath(folder)) {
        access.stopAccessingSecurityScopedResource();
        access.pickDirectorySelector([this] { loadFileStartSetPermission(); }, folder);
        return;
    }
    // Straight to the listing: asking loadFileStart again would find the folder still without
    // write access outside the sandbox, and ask for it forever.
    startListing();
}

void ZipDocument::startListing() {
    rootNode_->clear();
    IPasswordPrompt *prompt = this;
    session_ = std::make_unique<ArchiveSession>(filePath_, prompt, &worker_);
    archiveType = ArchiveType::Viewing;
    view_.setProgressTopText(tr("Loading..."));
    worker_.startThread([this] { return loadFileURL(); }, false);
    // Once the listing runs, so that the window lets go of the old tree and keeps off the new
    // one until the listing has ended.
    view_.reloadBrowser();
}

DocumentWorker::Ending ZipDocument::loadFileURL() {
    const bool opened = session_->open(ArchiveRules::getCurrentFileEncoding(filePath_));
    if (opened && session_->reader()->isProgressListFiles()) {
        worker_.startPanelProgress(false);
        worker_.setTotalSizeWithNum(FileUtil::getFileSize(filePath_));
    } else {
        worker_.startPanelProgress(true);
    }
    const ArchiveSession::ListingOutcome outcome =
        opened ? session_->readArchive() : ArchiveSession::ListingOutcome{};
    const bool cancelled = isCurrentThreadCancelled();
    return [this, outcome, cancelled] {
        endTask(0);
        view_.reloadBrowser();
        view_.setEncodingListSelected();
        view_.setToolItemsEnabled();
        // A cancelled listing or password prompt skips the after-listing step, its alert too.
        if (!cancelled && outcome.proceed && !outcome.promptCancelled)
            extraction->autoUnArchive();
    };
}

std::optional<QString> ZipDocument::passwordInput(const QString &archiveName) {
    std::optional<QString> answer;
    MainThread::perform([&] {
        QString message = tr("Please input the password to extract file");
        // The English text has no place for the name; a translation may have one.
        if (message.contains(QLatin1String("%1")))
            message = message.arg(archiveName);
        answer = dialogs_.passwordInput(message);
    });
    return answer;
}

void ZipDocument::close() {
    worker_.cancelThread();
    view_.closeWindow();
}

bool ZipDocument::isCanExtractSelected() const {
    return isCanUnZip() && !view_.getCurrentSelectedItems().isEmpty();
}

bool ZipDocument::isCanView() const {
    if (!isUnArchiveType())
        return false;
    const QList<IFileEntry *> items = view_.getCurrentSelectedItems();
    return items.size() == 1 && dynamic_cast<ZipEntry *>(items.first()) && items.first()->isLeaf();
}

bool ZipDocument::isCanSaveZip() const {
    return isCanAddFileToZip() && !rootNode_->children().isEmpty();
}

bool ZipDocument::isCanDeleteFiles() const {
    return isArchiveType() && !view_.getSelectedColoumnZero().isEmpty();
}

void ZipDocument::unArchive() {
    preview->cancel();
    extraction->unArchive();
}

void ZipDocument::unArchiveTo() {
    preview->cancel();
    extraction->unArchiveTo();
}

void ZipDocument::unArchiveSelectedItem() {
    preview->cancel();
    extraction->unArchiveSelectedItem();
}

void ZipDocument::unArchiveSelectedItemAs() {
    preview->cancel();
    extraction->unArchiveSelectedItemAs();
}

void ZipDocument::addToZip() {
    if (isCanAddFileToZip())
        addFileToZip(dialogs_.pickFilesAndFolders());
}

void ZipDocument::addFileToZip(const QStringList &paths) {
    // An opened archive is never changed.
    if (paths.isEmpty() || !isCanAddFileToZip())
        return;
    FileSystemNode::List nodes;
    for (const QString &path : paths)
        nodes.append(FileSystemNode::create(QDir::cleanPath(path)));
    rootNode_->addChilds(nodes);
    archiveType = ArchiveType::Composing;
    view_.reloadBrowser();
    view_.setToolItemsEnabled();
}

void ZipDocument::deleteZipFiles() {
    if (!isArchiveType())
        return;
    FileSystemNode::List nodes;
    for (const IFileEntry *item : view_.getSelectedColoumnZero())
        nodes.append(FileSystemNode::create(item->path()));
    rootNode_->removeItems(nodes);
    if (rootNode_->children().isEmpty())
        archiveType = ArchiveType::Empty;
    view_.reloadBrowser();
    view_.setToolItemsEnabled();
}

void ZipDocument::saveZip() {
    compression->saveZip();
}

void ZipDocument::saveZipTo() {
    compression->saveZipTo();
}

void ZipDocument::viewFile() {
    preview->viewFile();
}

void ZipDocument::viewFileInPreview() {
    preview->viewFileInPreview();
}

void ZipDocument::setPreviewPane(IPreviewPane *pane) {
    preview->setPreviewPane(pane);
}

void ZipDocument::revindInFinder() {
    revealFirst(view_.getCurrentSelectedItems());
}

void ZipDocument::openArchiveParent() {
    revealFirst(view_.getSelectedColoumnZero());
}

void ZipDocument::revealFirst(QList<IFileEntry *> items) {
    if (isUnArchiveType()) {
        dialogs_.revealInFileViewer(filePath_);
        return;
    }
    if (!isArchiveType())
        return;
    if (items.isEmpty()) {
        for (const FileSystemNode::Ptr &node : rootNode_->children())
            items.append(node.get());
    }
    if (!items.isEmpty())
        dialogs_.revealInFileViewer(items.first()->path());
}

bool ZipDocument::showError(const std::optional<Error> &error) {
    if (!error)
        return false;
    if (error->domain == kArchiveErrorDomain && error->code == int(ArchiveErrorCode::Cancelled))
        return true;
    dialogs_.alertMsg(error->message, QString());
    return true;
}

void ZipDocument::endTask(int returnCode) {
    access.stopAccessingSecurityScopedResource();
    view_.stopPanelProgress(returnCode);
}

void ZipDocument::progressDidEnd(int returnCode, const std::optional<Error> &error) {
    // Unlike a silent end, a failed partial extraction is shown as well: otherwise the user
    // would see nothing happen.
    if (showError(error))
        return;
    if (returnCode == kReturnCodeExtracted && Preferences::getIsCloseWindowExtractByAppValue())
        close();
}

ZipEntry *ZipDocument::rootEntry() const {
    return session_ ? session_->rootEntry() : nullptr;
}

IArchive *ZipDocument::archiveDelegate() const {
    return session_ ? session_->reader() : nullptr;
}

QString ZipDocument::zipFileName() const {
    return compression->zipFileName();
}
