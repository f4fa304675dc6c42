#pragma once

#include <QColumnView>
#include <QList>

class EntryBrowserModel;
class BrowserCellDelegate;
class IFileEntry;

// The document's column browser: folders may be selected, several rows at once; columns start
// 190 pixels wide, the preview column takes the room left (at least 240 pixels) so the first
// column stays in view. A context menu request or a drag from any column comes out as one signal.
class DocumentBrowser : public QColumnView {
    Q_OBJECT

public:
    static constexpr int kColumnWidth = 190;
    static constexpr int kMinimumPreviewWidth = 240;
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
    void dragRequested();

protected:
    QAbstractItemView *createColumn(const QModelIndex &rootIndex) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The rows selected in the column of the current item: QColumnView shares its selection
    // with a column only once it has scrolled to it, so a quick click there goes to the column.
    QModelIndexList selectedRows() const;
    // Sizes the preview column to the room right of the given number of columns.
    void fitPreviewColumn(int columnsBefore);

    EntryBrowserModel *model_;
    BrowserCellDelegate *cell_;
    QWidget *previewColumn_ = nullptr;
    int previewColumnsBefore_ = 0;
};
