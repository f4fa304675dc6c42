#pragma once

#include <QColumnView>
#include <QList>

class EntryBrowserModel;
class BrowserCellDelegate;
class IFileEntry;

// The document's column browser: folders may be selected, several rows at once, columns start
// 190 pixels wide and the preview column 500; a context menu request from any column comes out
// as one signal.
class DocumentBrowser : public QColumnView {
    Q_OBJECT

public:
    static constexpr int kColumnWidth = 190;
    static constexpr int kPreviewColumnWidth = 500;
    // Deeper columns than this start at the view's own width.
    static constexpr int kInitialWidths = 64;

    explicit DocumentBrowser(QWidget *parent = nullptr);

    EntryBrowserModel *entryModel() const { return model_; }
    // The items selected in the selected column, in row order.
    QList<IFileEntry *> selectedItems() const;
    // The items selected in the first column, in row order: with a selection further right, the
    // first column's row on its path.
    QList<IFileEntry *> selectedItemsInColumnZero() const;
    // 0 for the first column; -1 without selection.
    int selectedColumn() const;
    // Selects the first top-level folder; nothing when the top level holds only files.
    void selectFirstDirectory();
    // The widget shown beside a selected file; the browser takes it over.
    void setPreview(QWidget *preview);

signals:
    void contextMenuRequested(const QPoint &globalPos);
    void itemDoubleClicked(const QModelIndex &index);

protected:
    QAbstractItemView *createColumn(const QModelIndex &rootIndex) override;

private:
    QModelIndexList selectedRows() const;

    EntryBrowserModel *model_;
    BrowserCellDelegate *cell_;
};
