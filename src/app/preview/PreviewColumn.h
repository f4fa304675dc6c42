#pragma once

#include "document/IPreviewPane.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

class IFileEntry;
class QVBoxLayout;
class PreviewView;
class ArchiveDocument;

// The browser's preview column: holds the pane of the selected leaf and makes a new one whenever
// another item is selected. Registered with its document, it receives the extracted copies of
// archive entries. Main thread only.
class PreviewColumn : public QWidget, public IPreviewPane {
    Q_OBJECT

public:
    explicit PreviewColumn(QWidget *parent = nullptr);
    ~PreviewColumn() override;

    // The document whose previews this pane shows (not owned); none detaches it.
    void setDocument(ArchiveDocument *document);
    // The browser whose height sizes the pane (not owned).
    void setBrowser(QWidget *browser) { browser_ = browser; }

    // A new pane for an item other than the current one; the same item keeps its pane. None
    // drops the pane, so no item of a tree that is being replaced is kept.
    void setRepresentedObject(IFileEntry *item);
    // The pane's frame: this widget's width and the browser's height less 30.
    QRect textPlainViewFrame() const;
    // Fits the pane to the browser again after the window was resized.
    void windowSizeChange();
    // Forwards to the pane.
    void viewFile(const std::optional<QString> &path) override;

private:
    bool isSameItem(IFileEntry *item) const;

    QPointer<ArchiveDocument> document_;
    QPointer<QWidget> browser_;
    IFileEntry *representedObject_ = nullptr;
    QVBoxLayout *layout_;
    PreviewView *view_ = nullptr;
};
