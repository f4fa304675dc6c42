#pragma once

class ZipDocument;

// Makes and shows the windows of the application's documents; each window owns its document.
class IDocumentWindowFactory {
public:
    virtual ~IDocumentWindowFactory() = default;

    // A new window holding a new empty document, not shown yet.
    virtual ZipDocument *makeDocument() = 0;
    // Shows the document's window and brings it to the front.
    virtual void showDocument(ZipDocument &document) = 0;
    // The document of the active window, or none.
    virtual ZipDocument *currentDocument() const = 0;
};
