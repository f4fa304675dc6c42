#pragma once

#include <QListView>

// One column of the document browser. Dragging its selection out is left to the browser's
// owner, which knows where the dragged items are on disk (or first extracts them); a right press
// is announced so the browser can make the row under it its selection before the context menu.
class BrowserColumn : public QListView {
    Q_OBJECT

public:
    explicit BrowserColumn(QWidget *parent = nullptr);

signals:
    // The user started to drag the selected rows.
    void dragRequested();
    void rightPressed(const QModelIndex &index);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void mousePressEvent(QMouseEvent *event) override;
};
