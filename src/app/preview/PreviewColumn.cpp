#include "app/preview/PreviewColumn.h"

#include "app/preview/PreviewView.h"
#include "document/ArchiveDocument.h"
#include "document/FileSystemNode.h"

#include <QVBoxLayout>

namespace {

// The room the browser's own frame and scroll bar take below the pane.
constexpr int kBrowserMargin = 30;

} // namespace

PreviewColumn::PreviewColumn(QWidget *parent)
    : QWidget(parent)
    , layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
}

PreviewColumn::~PreviewColumn() {
    setDocument(nullptr);
}

void PreviewColumn::setDocument(ArchiveDocument *document) {
    if (document_)
        document_->setPreviewPane(nullptr);
    document_ = document;
    if (document_)
        document_->setPreviewPane(this);
}

bool PreviewColumn::isSameItem(IFileEntry *item) const {
    if (item == representedObject_)
        return true;
    // Files on disk are the same item when they are the same path.
    const auto *node = dynamic_cast<const FileSystemNode *>(item);
    const auto *current = dynamic_cast<const FileSystemNode *>(representedObject_);
    return node && current && *node == *current;
}

void PreviewColumn::setRepresentedObject(IFileEntry *item) {
    if (item && isSameItem(item))
        return;
    representedObject_ = item;
    delete view_;
    view_ = nullptr;
    if (!item)
        return;
    view_ = new PreviewView(item, this);
    layout_->addWidget(view_);
    windowSizeChange();
}

QRect PreviewColumn::textPlainViewFrame() const {
    const int height = browser_ ? browser_->height() - kBrowserMargin : this->height();
    return QRect(0, 0, width(), height);
}

void PreviewColumn::windowSizeChange() {
    if (browser_)
        resize(textPlainViewFrame().size());
}

void PreviewColumn::viewFile(const std::optional<QString> &path) {
    if (view_)
        view_->viewFile(path);
}
