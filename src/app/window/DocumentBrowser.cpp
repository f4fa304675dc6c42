#include "app/window/DocumentBrowser.h"

#include "app/window/BrowserCellDelegate.h"
#include "app/window/EntryBrowserModel.h"

#include <algorithm>

DocumentBrowser::DocumentBrowser(QWidget *parent)
    : QColumnView(parent)
    , model_(new EntryBrowserModel(this))
    , cell_(new BrowserCellDelegate(this)) {
    setModel(model_);
    setItemDelegate(cell_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setResizeGripsVisible(true);
    // Initial widths by column; the user's resizing replaces them.
    setColumnWidths(QList<int>(kInitialWidths, kColumnWidth));
}

QAbstractItemView *DocumentBrowser::createColumn(const QModelIndex &rootIndex) {
    QAbstractItemView *column = QColumnView::createColumn(rootIndex);
    column->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(column, &QWidget::customContextMenuRequested, this, [this, column](const QPoint &pos) {
        emit contextMenuRequested(column->viewport()->mapToGlobal(pos));
    });
    connect(column, &QAbstractItemView::doubleClicked, this, &DocumentBrowser::itemDoubleClicked);
    return column;
}

void DocumentBrowser::setPreview(QWidget *preview) {
    preview->setMinimumWidth(kPreviewColumnWidth);
    setPreviewWidget(preview);
    // The pane is as wide as its column and scrolls its own text: a scroll bar of the column
    // would only narrow the view and cut off the pane's right edge.
    if (auto *column = qobject_cast<QAbstractScrollArea *>(preview->parentWidget()->parentWidget()))
        column->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QModelIndexList DocumentBrowser::selectedRows() const {
    QModelIndexList rows = selectionModel()->selectedIndexes();
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
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    if (rows.isEmpty())
        return -1;
    int depth = 0;
    for (QModelIndex above = rows.first().parent(); above.isValid(); above = above.parent())
        ++depth;
    return depth;
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
