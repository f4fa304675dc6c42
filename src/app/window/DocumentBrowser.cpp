#include "app/window/DocumentBrowser.h"

#include "app/window/BrowserCellDelegate.h"
#include "app/window/BrowserColumn.h"
#include "app/window/EntryBrowserModel.h"

#include <algorithm>

namespace {

int depthOf(const QModelIndex &index) {
    int depth = 0;
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        ++depth;
    return depth;
}

} // namespace

DocumentBrowser::DocumentBrowser(QWidget *parent)
    : QColumnView(parent)
    , model_(new EntryBrowserModel(this))
    , cell_(new BrowserCellDelegate(this)) {
    setModel(model_);
    setItemDelegate(cell_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragDropMode(QAbstractItemView::DragOnly);
    setResizeGripsVisible(true);
    // Initial widths by column; the user's resizing replaces them.
    setColumnWidths(QList<int>(kInitialWidths, kColumnWidth));
}

QAbstractItemView *DocumentBrowser::createColumn(const QModelIndex &rootIndex) {
    auto *column = new BrowserColumn(viewport());
    initializeColumn(column);
    column->setRootIndex(rootIndex);
    column->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(column, &QWidget::customContextMenuRequested, this, [this, column](const QPoint &pos) {
        emit contextMenuRequested(column->viewport()->mapToGlobal(pos));
    });
    connect(column, &QAbstractItemView::doubleClicked, this, &DocumentBrowser::itemDoubleClicked);
    connect(column, &BrowserColumn::dragRequested, this, &DocumentBrowser::dragRequested);
    // Only the column QColumnView last made current shares the view's selection; a right press
    // elsewhere would select the row in the column alone, and the menu act on another.
    connect(column, &BrowserColumn::rightPressed, this, [this](const QModelIndex &index) {
        if (index.isValid() && !selectionModel()->isSelected(index))
            setCurrentIndex(index);
    });
    return column;
}

void DocumentBrowser::setPreview(QWidget *preview) {
    preview->setMinimumWidth(kMinimumPreviewWidth);
    setPreviewWidget(preview);
    // The column QColumnView wraps the pane in; the pane scrolls its own text, so a scroll bar
    // of the column would only narrow the view and cut off the pane's right edge.
    previewColumn_ = preview->parentWidget()->parentWidget();
    if (auto *column = qobject_cast<QAbstractScrollArea *>(previewColumn_))
        column->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void DocumentBrowser::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    // Sized before the view lays the preview column out and scrolls to show it.
    if (current.isValid() && !model_->hasChildren(current))
        fitPreviewColumn(depthOf(current) + 1);
    QColumnView::currentChanged(current, previous);
}

void DocumentBrowser::resizeEvent(QResizeEvent *event) {
    if (previewColumn_ && previewColumn_->isVisible())
        fitPreviewColumn(previewColumnsBefore_);
    QColumnView::resizeEvent(event);
}

void DocumentBrowser::fitPreviewColumn(int columnsBefore) {
    if (!previewColumn_)
        return;
    previewColumnsBefore_ = columnsBefore;
    const QList<int> widths = columnWidths();
    int used = 0;
    for (int column = 0; column < columnsBefore; ++column)
        used += column < widths.size() ? widths.at(column) : kColumnWidth;
    const int width = std::max(kMinimumPreviewWidth, viewport()->width() - used);
    previewColumn_->setMinimumWidth(width);
    previewColumn_->resize(width, previewColumn_->height());
}

QModelIndexList DocumentBrowser::selectedRows() const {
    const QModelIndex current = currentIndex();
    QItemSelectionModel *selection = selectionModel();
    for (BrowserColumn *column : viewport()->findChildren<BrowserColumn *>()) {
        if (current.isValid() && column->isVisible() && column->rootIndex() == current.parent())
            selection = column->selectionModel();
    }
    QModelIndexList rows = selection->selectedIndexes();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    return rows;
}

QList<IFileEntry *> DocumentBrowser::selectedItems() const {
    QList<IFileEntry *> items;
    for (const QModelIndex &row : selectedRows())
        items.append(model_->item(row));
    return items;
}

QList<IFileEntry *> DocumentBrowser::selectedItemsInColumnZero() const {
    const QModelIndexList rows = selectedRows();
    if (rows.isEmpty() || selectedColumn() == 0)
        return selectedItems();
    QModelIndex top = rows.first();
    while (top.parent().isValid())
        top = top.parent();
    return {model_->item(top)};
}

int DocumentBrowser::selectedColumn() const {
    const QModelIndexList rows = selectedRows();
    return rows.isEmpty() ? -1 : depthOf(rows.first());
}

void DocumentBrowser::selectFirstDirectory() {
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QModelIndex index = model_->index(row, 0);
        if (model_->hasChildren(index)) {
            setCurrentIndex(index);
            return;
        }
    }
}
