#include "app/preview/PreviewViewController.h"

#include "app/preview/TextPlainView.h"
#include "document/FileSystemNode.h"
#include "document/ZipDocument.h"

#include <QVBoxLayout>

namespace {

// The room the browser's own frame and scroll bar take below the pane.
constexpr int kBrowserMargin = 30;

} // namespace

PreviewViewController::PreviewViewController(QWidget *parent)
    : QWidget(parent)
    , layout(new QVBoxLayout(this)) {
    layout->setContentsMargins(0, 0, 0, 0);
}

PreviewViewController::~PreviewViewController() {
    setDocument(nullptr);
}

void PreviewViewController::setDocument(ZipDocument *document) {
    if (document_)
        document_->setPreviewPane(nullptr);
    document_ = document;
    if (document_)
        document_->setPreviewPane(this);
}

ZipDocument *PreviewViewController::document() const {
    return document_;
}

bool PreviewViewController::isSameItem(IFileEntry *item) const {
    if (item == representedObject_)
        return true;
    // Files on disk are the same item when they are the same path.
    const auto *node = dynamic_cast<const FileSystemNode *>(item);
    const auto *current = dynamic_cast<const FileSystemNode *>(representedObject_);
    return node && current && *node == *current;
}

void PreviewViewController::setRepresentedObject(IFileEntry *item) {
    if (item && isSameItem(item))
        return;
    representedObject_ = item;
    delete view_;
    view_ = nullptr;
    if (!item)
        return;
    view_ = new TextPlainView(item, this);
    layout->addWidget(view_);
    windowSizeChange();
}

QRect PreviewViewController::textPlainViewFrame() const {
    const int height = browser_ ? browser_->height() - kBrowserMargin : this->height();
    return QRect(0, 0, width(), height);
}

void PreviewViewController::windowSizeChange() {
    if (browser_)
        resize(textPlainViewFrame().size());
}

void PreviewViewController::viewFile(const std::optional<QString> &path) {
    if (view_)
        view_->viewFile(path);
}
