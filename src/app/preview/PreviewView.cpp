#include "app/preview/PreviewView.h"

#include "app/preview/EntryIconProvider.h"
#include "archive/ArchiveEntry.h"
#include "document/MainThread.h"
#include "document/PreviewContent.h"
#include "util/Cancellation.h"

#include <QEvent>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int kLabelWidth = 100;
constexpr int kRowHeight = 24;
constexpr int kTextInset = 5;

} // namespace

PreviewView::PreviewView(IFileEntry *item, QWidget *parent)
    : QWidget(parent)
    , currentItem_(item)
    , scrollview_(new QScrollArea(this)) {
    scrollview_->setFrameShape(QFrame::NoFrame);
    scrollview_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollview_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollview_->setWidgetResizable(true);
    scrollview_->setAlignment(Qt::AlignCenter);
    scrollview_->viewport()->installEventFilter(this);

    auto *rows = new QGridLayout;
    rows->setColumnMinimumWidth(0, kLabelWidth);
    rows->setColumnStretch(1, 1);
    const bool isEntry = dynamic_cast<ArchiveEntry *>(item) != nullptr;
    if (item) {
        addRow(rows, QT_TR_NOOP("Name"), item->name(), "nameField");
        addRow(rows, QT_TR_NOOP("Size"), item->filesizeString(), "sizeField");
        addRow(rows, QT_TR_NOOP("Created"), item->createdString(), "createdField");
        if (isEntry)
            addRow(rows, QT_TR_NOOP("Stored Size"), item->compressedString(), "storedField");
        else
            addRow(rows, QT_TR_NOOP("Modified"), item->modifiedString(), "modifiedField");
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollview_, 1);
    layout->addLayout(rows);

    if (item && !isEntry)
        viewFile(item->path());
    else
        setCurrentIcon();
}

QPlainTextEdit *PreviewView::textView() const {
    return textView_;
}

QLabel *PreviewView::imageView() const {
    return imageView_;
}

void PreviewView::addRow(QGridLayout *rows, const char *title, const QString &value,
                         const char *field) {
    auto *label = new QLabel(tr(title), this);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *text = new QLabel(value, this);
    text->setObjectName(QLatin1String(field));
    label->setFixedHeight(kRowHeight);
    text->setFixedHeight(kRowHeight);
    const int row = rows->rowCount();
    rows->addWidget(label, row, 0);
    rows->addWidget(text, row, 1);
}

void PreviewView::viewFile(const std::optional<QString> &path) {
    if (!currentItem_)
        return;
    const std::optional<PreviewContent> content = PreviewContent::forFile(*currentItem_, path);
    if (!content)
        return;
    switch (content->kind) {
    case PreviewContent::Kind::Text:
        showText(content->text);
        break;
    case PreviewContent::Kind::Picture: {
        QImageReader reader(content->path);
        reader.setAutoTransform(true);
        // An undecodable file shows an empty picture.
        const QImage picture = reader.read();
        if (!isCurrentThreadCancelled())
            showImage(picture, true);
        break;
    }
    case PreviewContent::Kind::Icon:
        setCurrentIcon();
        break;
    }
}

void PreviewView::setCurrentIcon() {
    MainThread::perform([this] {
        const QIcon icon = currentItem_ ? EntryIconProvider().icon(*currentItem_) : QIcon();
        showImage(icon.isNull() ? QImage()
                                : icon.pixmap(kIconSize, kIconSize)
                                      .toImage()
                                      .scaled(kIconSize, kIconSize, Qt::KeepAspectRatio,
                                              Qt::SmoothTransformation),
                  false);
    });
}

void PreviewView::showText(const QString &text) {
    auto *view = new QPlainTextEdit;
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    view->setFrameShape(QFrame::NoFrame);
    view->document()->setDocumentMargin(kTextInset);
    view->setPlainText(text);
    // The scroll area deletes the widget it held before.
    scrollview_->setWidget(view);
    textView_ = view;
    shownImage_ = QImage();
}

void PreviewView::showImage(const QImage &image, bool shrink) {
    if (!imageView_) {
        auto *view = new QLabel;
        view->setAlignment(Qt::AlignCenter);
        scrollview_->setWidget(view);
        imageView_ = view;
    }
    shownImage_ = image;
    shrinkToFit_ = shrink;
    scaleImage();
}

void PreviewView::scaleImage() {
    if (!imageView_)
        return;
    const QSize room = scrollview_->viewport()->size();
    // Pictures are shrunk to fit the pane, never blown up.
    QImage fitted = shownImage_;
    if (shrinkToFit_ && !fitted.isNull() &&
        (fitted.width() > room.width() || fitted.height() > room.height()) && !room.isEmpty())
        fitted = fitted.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imageView_->setPixmap(QPixmap::fromImage(fitted));
}

bool PreviewView::eventFilter(QObject *watched, QEvent *event) {
    // The room a picture fits in is the viewport's, which the layout sizes after the pane.
    if (watched == scrollview_->viewport() && event->type() == QEvent::Resize)
        scaleImage();
    return QWidget::eventFilter(watched, event);
}
