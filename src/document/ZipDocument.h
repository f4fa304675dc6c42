#pragma once

#include "document/DocumentWorker.h"
#include "document/FileSystemNode.h"
#include "document/FolderAccess.h"
#include "document/IPasswordPrompt.h"
#include "util/Error.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ArchiveSession;
class DocumentCompression;
class DocumentExtraction;
class DocumentPreview;
class IArchive;
class IDialogs;
class IDocumentView;
class IPreviewPane;
class ZipEntry;

// One window's document: either an opened archive, listed into an entry tree, or the files and
// folders gathered for a new zip. Long tasks run on its worker under the progress sheet; the
// window and the dialogs are reached through IDocumentView and IDialogs. Main thread only,
// except where a function says otherwise.
class ZipDocument : public QObject, private IPasswordPrompt {
    Q_OBJECT

public:
    // The document's state (archive_type).
    enum class ArchiveType { Empty = 0, Composing = 1, Viewing = 2 };
    // The sheet's return code after a whole extraction that was not cancelled.
    static constexpr int kReturnCodeExtracted = 10000;

    ZipDocument(IDocumentView &view, IDialogs &dialogs, QObject *parent = nullptr);
    ~ZipDocument() override;

    // Opens the archive at the path (or the current one when none is given) and lists it on the
    // worker; replaces whatever the document showed. A RAR volume in a folder without write
    // access first asks for that folder, where the other volumes lie.
    void loadFileStart(const std::optional<QString> &path = std::nullopt);
    // Cancels a running task, waits for it, then closes the window.
    void close();

    ArchiveType archive_type() const { return archiveType; }
    bool isEmpty() const { return archiveType == ArchiveType::Empty && filePath_.isEmpty(); }
    bool isArchiveType() const { return archiveType == ArchiveType::Composing; }
    bool isUnArchiveType() const { return archiveType == ArchiveType::Viewing; }
    // Enabling rules of the window's commands.
    bool isCanUnZip() const { return isUnArchiveType(); }
    bool isCanExtractSelected() const;
    bool isCanView() const;
    bool isCanAddFileToZip() const { return !isUnArchiveType(); }
    bool isCanSaveZip() const;
    bool isCanDeleteFiles() const;

    // Extraction: into the archive's folder or a chosen one; the whole archive or the selection.
    // A running preview gives way.
    void unArchive();
    void unArchiveTo();
    void unArchiveSelectedItem();
    void unArchiveSelectedItemAs();

    // Gathering and compressing: "Add" asks for items, a drop gives them; "Delete" takes the
    // first column's selection off the list; "Zip" writes beside the items, "Zip As..." asks.
    void addToZip();
    void addFileToZip(const QStringList &paths);
    void deleteZipFiles();
    void saveZip();
    void saveZipTo();

    // "View" opens the one selected entry with the default application; a preview hands it to the
    // pane. Both extract it into a private temporary folder.
    void viewFile();
    void viewFileInPreview();
    void setPreviewPane(IPreviewPane *pane);

    // Shows the opened archive, or the selected (else the first) gathered item, in the desktop's
    // file viewer: revindInFinder looks at the current selection, openArchiveParent at the first
    // column's.
    void revindInFinder();
    void openArchiveParent();

    // The worker: one task at a time; any thread may ask whether one runs.
    bool isExecuting() const { return worker_.isExecuting(); }
    void cancelThread() { worker_.cancelThread(); }
    // Shows the error in an alert; answers whether there was one (a cancel is swallowed silently).
    bool showError(const std::optional<Error> &error);
    // A task's end: stops the folder access and hides the sheet with the code.
    void endTask(int returnCode);
    // The sheet's end after an extraction: its error, else closing the window after a whole
    // extraction when the setting says so.
    void progressDidEnd(int returnCode, const std::optional<Error> &error);

    QString filePath() const { return filePath_; }
    // The opened archive (reader, entry tree, password); none before the first opening.
    ArchiveSession *session() const { return session_.get(); }
    ZipEntry *rootEntry() const;
    IArchive *archiveDelegate() const;
    FileSystemNode::Ptr rootNode() const { return rootNode_; }
    QString destination() const { return access.destination(); }
    QString zipFileName() const;
    quint64 currentSize() const { return worker_.currentSize(); }
    quint64 totalSize() const { return worker_.totalSize(); }

    DocumentWorker &worker() { return worker_; }
    FolderAccess &folderAccess() { return access; }
    IDocumentView &view() const { return view_; }
    IDialogs &dialogs() const { return dialogs_; }

private:
    void loadFileStartSetPermission();
    void startListing();
    DocumentWorker::Ending loadFileURL();
    void revealFirst(QList<IFileEntry *> items);
    // IPasswordPrompt: asks on the main thread, the worker waiting.
    std::optional<QString> passwordInput(const QString &archiveName) override;

    IDocumentView &view_;
    IDialogs &dialogs_;
    DocumentWorker worker_;
    FolderAccess access;
    std::unique_ptr<ArchiveSession> session_;
    FileSystemNode::Ptr rootNode_;
    std::unique_ptr<DocumentExtraction> extraction;
    std::unique_ptr<DocumentCompression> compression;
    std::unique_ptr<DocumentPreview> preview;
    QString filePath_;
    ArchiveType archiveType = ArchiveType::Empty;
};
