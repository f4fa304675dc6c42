#pragma once

#include "util/Error.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRecursiveMutex>
#include <QString>

#include <optional>

class IDocumentWindowFactory;
class ArchiveDocument;

// The application's documents. An archive that is open already has its window shown again, and
// one opened while a window shows nothing fills that window instead of opening a second one.
class DocumentController : public QObject {
    Q_OBJECT

public:
    explicit DocumentController(IDocumentWindowFactory &factory, QObject *parent = nullptr);

    // The open documents, in the order they were added; a destroyed document leaves the list.
    QList<ArchiveDocument *> documents() const;
    void addDocument(ArchiveDocument *document);
    void removeDocument(ArchiveDocument *document);

    // A new window with an empty document, shown.
    ArchiveDocument *newDocument();
    // The document showing the archive (shown when asked), else opens it in the first empty
    // document or a new one and shows it when asked.
    // None, with the error, when the path names no archive that can be opened; then no window
    // is made and no empty one is used.
    ArchiveDocument *openDocument(const QString &path, bool display,
                                  std::optional<Error> *error = nullptr);
    // Shows the document's window; from another thread it is shown on the main thread, the
    // caller waiting.
    void displayDocument(ArchiveDocument *document);

private:
    static std::optional<Error> checkArchive(const QString &path);
    // The open document showing the same file, or none.
    ArchiveDocument *documentShowing(const QString &path) const;

    IDocumentWindowFactory &factory_;
    // Held for a whole opening, so two openings never pick the same empty document. Recursive:
    // an opening turns the event loop while it waits for a running task, and a dropped archive
    // may be opened meanwhile.
    QRecursiveMutex lock_;
    QList<QPointer<ArchiveDocument>> documents_;
};
