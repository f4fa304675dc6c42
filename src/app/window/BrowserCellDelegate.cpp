#include "app/window/BrowserCellDelegate.h"

#include "app/preview/EntryIconProvider.h"
#include "app/window/EntryBrowserModel.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

QRect BrowserCellDelegate::imageRectForBounds(const QRect &frame) {
    const int top = frame.y() + int((frame.height() - kImageSize) * 0.5);
    return QRect(frame.x() + kImageInset, top, kImageSize, kImageSize);
}

QRect BrowserCellDelegate::titleRectForBounds(const QRect &frame) {
    return frame.adjusted(kTitleInset, 1, 0, 0);
}

void BrowserCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QIcon icon = cell.icon;
    // The style draws the selection and the branch arrow; the icon and text are drawn here.
    cell.icon = QIcon();
    cell.text.clear();
    cell.features &= ~QStyleOptionViewItem::HasDecoration;
    const QWidget *view = option.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);

    if (!icon.isNull()) {
        const QIcon::Mode mode =
            option.state & QStyle::State_Selected ? QIcon::Selected : QIcon::Normal;
        const QRect image = imageRectForBounds(option.rect);
        icon.paint(painter, image, Qt::AlignCenter, mode);
        if (index.data(EntryBrowserModel::EncryptedRole).toBool()) {
            const QRect corner(image.right() - kEmblemSize + 3, image.bottom() - kEmblemSize + 3,
                               kEmblemSize, kEmblemSize);
            EntryIconProvider::lockEmblem().paint(painter, corner);
        }
    }
    QRect title = titleRectForBounds(option.rect);
    if (index.model()->hasChildren(index)) {
        // A folder shows that it opens a column to the right.
        QStyleOption arrow = option;
        arrow.rect = QRect(title.right() - kArrowWidth, title.y(), kArrowWidth, title.height());
        style->drawPrimitive(QStyle::PE_IndicatorArrowRight, &arrow, painter, view);
        title.setRight(arrow.rect.left());
    }
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, title.width() - kImageInset);
    const QPalette::ColorRole role =
        option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setPen(option.palette.color(role));
    painter->drawText(title, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    painter->restore();
}

QSize BrowserCellDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const {
    const int textWidth =
        option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return QSize(textWidth + kTitleInset, kCellHeight);
}
