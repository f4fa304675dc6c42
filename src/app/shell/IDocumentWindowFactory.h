#pragma once

class ArchiveDocument;

// Makes and shows the windows of the application's documents; each window owns its document.
class IDocumentWindowFactory {
public:
    virtual ~IDocumentWindowFactory() = default;

    // A new window holding a new empty document, not shown yet.
    virtual ArchiveDocument *makeDocument() = 0;
    // Shows the document's window and brings it to the front.
    virtual void showDocument(ArchiveDocument &document) = 0;
    // The document of the active window, or none.
    virtual ArchiveDocument *currentDocument() const = 0;
};
