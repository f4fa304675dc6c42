#include "app/window/BrowserColumn.h"

#include <QMouseEvent>

BrowserColumn::BrowserColumn(QWidget *parent)
    : QListView(parent) {
}

void BrowserColumn::startDrag(Qt::DropActions) {
    emit dragRequested();
}

void BrowserColumn::mousePressEvent(QMouseEvent *event) {
    QListView::mousePressEvent(event);
    if (event->button() == Qt::RightButton)
        emit rightPressed(indexAt(event->position().toPoint()));
}
