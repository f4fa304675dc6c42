#pragma once

#include "archive/ArchiveWarning.h"
#include "document/DocumentWorker.h"
#include "document/FileSystemNode.h"
#include "document/FolderAccess.h"
#include "document/IPasswordPrompt.h"
#include "util/Error.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ArchiveSession;
class DocumentCompression;
class DocumentExtraction;
class DocumentPreview;
class ArchiveReader;
class IDialogs;
class IDocumentView;
class IPreviewPane;
class ListingFeed;
class ArchiveEntry;

// One window's document: either an opened archive, listed into an entry tree, or the files and
// folders gathered for a new zip. Long tasks run on its worker under the progress sheet; the
// window and the dialogs are reached through IDocumentView and IDialogs. Main thread only,
// except where a function says otherwise.
class ArchiveDocument : public QObject, private IPasswordPrompt {
    Q_OBJECT

public:
    // The document's state (state).
    enum class State { Empty = 0, Composing = 1, Viewing = 2 };
    // The sheet's return code after a whole extraction that was not cancelled.
    static constexpr int kReturnCodeExtracted = 10000;

    ArchiveDocument(IDocumentView &view, IDialogs &dialogs, QObject *parent = nullptr);
    ~ArchiveDocument() override;

    // Opens the archive at the path (or the current one when none is given) and lists it on the
    // worker; replaces whatever the document showed.
    void open(const std::optional<QString> &path = std::nullopt);
    // Cancels a running task, waits for it, then closes the window.
    void close();

    State state() const { return state_; }
    bool isEmpty() const { return state_ == State::Empty && filePath_.isEmpty(); }
    bool isComposing() const { return state_ == State::Composing; }
    bool isViewing() const { return state_ == State::Viewing; }
    // From opening an archive until its listing has ended; the window shows the entries as they
    // are read meanwhile.
    bool isListing() const { return feed_ != nullptr; }
    // The entries the window was given so far while listing.
    qint64 listedCount() const;
    // Enabling rules of the window's commands. What needs the whole listing (extracting, viewing,
    // another name encoding) waits for its end: the worker runs one task at a time, so the
    // commands are off until then rather than queued behind it.
    bool canExtract() const { return isViewing() && !isListing(); }
    bool canExtractSelected() const;
    bool canView() const;
    bool canAdd() const { return !isViewing(); }
    bool canZip() const;
    bool canDelete() const;

    // Extraction: into the archive's folder or a chosen one; the whole archive or the selection.
    // A running preview gives way.
    void extractAll();
    void extractTo();
    void extractSelected();
    void extractSelectedTo();
    // The selection into a new private temporary folder, for dragging it out; the extracted items
    // go to the continuation, which is not called on failure or cancel.
    void extractSelectedForDrag(const std::function<void(const QStringList &paths)> &extracted);

    // Gathering and compressing: "Add" asks for items, a drop gives them; "Delete" takes the
    // first column's selection off the list; "Zip" writes a zip beside the items, "Compress
    // As..." asks for the name, the folder and the format in a save dialog.
    void add();
    void addFiles(const QStringList &paths);
    void deleteSelected();
    void zip();
    void compressAs();

    // "View" opens the one selected entry with the default application; a preview hands it to the
    // pane. Both extract it into a private temporary folder.
    void viewFile();
    void viewFileInPreview();
    void setPreviewPane(IPreviewPane *pane);

    // showInFolder shows the opened archive, or the selected (else the first) gathered item,
    // selected in the desktop's file manager; openArchiveFolder opens the folder that holds it,
    // looking at the first column's selection.
    void showInFolder();
    void openArchiveFolder();

    // The worker: one task at a time; any thread may ask whether one runs.
    bool isExecuting() const { return worker_.isExecuting(); }
    void cancelThread() { worker_.cancelThread(); }
    // Shows the error in an alert; answers whether there was one (a cancel is swallowed silently).
    bool showError(const std::optional<Error> &error);
    // A task's end: hides the sheet with the code.
    void endTask(int returnCode);
    // The sheet's end after an extraction: its error, else what was left out, else closing the
    // window after a whole extraction when the setting says so.
    void extractionEnded(int returnCode, const std::optional<Error> &error,
                         const ArchiveWarnings &warnings);

    QString filePath() const { return filePath_; }
    // The opened archive (reader, entry tree, password); none before the first opening.
    ArchiveSession *session() const { return session_.get(); }
    ArchiveEntry *rootEntry() const;
    ArchiveReader *reader() const;
    FileSystemNode::Ptr rootNode() const { return rootNode_; }
    QString destination() const { return access_.destination(); }
    QString zipFileName() const;
    quint64 currentSize() const { return worker_.currentSize(); }
    quint64 totalSize() const { return worker_.totalSize(); }

    DocumentWorker &worker() { return worker_; }
    FolderAccess &folderAccess() { return access_; }
    IDocumentView &view() const { return view_; }
    IDialogs &dialogs() const { return dialogs_; }

private:
    DocumentWorker::Ending listTask();
    // The archive, else the first of the items (else of the gathered ones); none when empty.
    std::optional<QString> shownItem(QList<IFileEntry *> items) const;
    // IPasswordPrompt: asks on the main thread, the worker waiting.
    std::optional<QString> askPassword(const QString &archiveName) override;

    IDocumentView &view_;
    IDialogs &dialogs_;
    DocumentWorker worker_;
    FolderAccess access_;
    std::unique_ptr<ArchiveSession> session_;
    FileSystemNode::Ptr rootNode_;
    std::unique_ptr<DocumentExtraction> extraction_;
    std::unique_ptr<DocumentCompression> compression_;
    std::unique_ptr<DocumentPreview> preview_;
    std::unique_ptr<ListingFeed> feed_;
    QString filePath_;
    State state_ = State::Empty;
};
