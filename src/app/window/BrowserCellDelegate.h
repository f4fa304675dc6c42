#pragma once

#include <QRect>
#include <QStyledItemDelegate>

// The browser's cell for archive entries and files alike: a 16-pixel icon 4 pixels in (with a
// lock over its corner for an encrypted entry), the name from 22 pixels on, cut at the tail when
// it does not fit.
class BrowserCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kImageSize = 16;
    static constexpr int kImageInset = 4;
    static constexpr int kTitleInset = 22;
    static constexpr int kCellHeight = 20;
    static constexpr int kArrowWidth = 12;
    static constexpr int kEmblemSize = 10;

    using QStyledItemDelegate::QStyledItemDelegate;

    static QRect imageRectForBounds(const QRect &frame);
    static QRect titleRectForBounds(const QRect &frame);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
