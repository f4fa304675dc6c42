#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class IFileEntry;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QScrollArea;

// The preview pane of one item: its text, its picture or its icon above the rows Name, Size,
// Created, then Modified (a file on disk) or Stored Size (an archive entry). A file on disk is
// shown at once; an archive entry shows its icon until its extracted copy is handed over.
// Main thread only.
class PreviewView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kIconSize = 256;

    // The item is not owned and must outlive the pane; none shows an empty pane.
    explicit PreviewView(IFileEntry *item = nullptr, QWidget *parent = nullptr);

    // Shows the item's file (or its extracted copy) as text or picture, else the icon. A file
    // whose name or size differ from the item's belongs to another selection: nothing changes.
    void viewFile(const std::optional<QString> &path);
    void setCurrentIcon();

    // Present only while text is shown.
    QPlainTextEdit *textView() const;
    // Present only while a picture or the icon is shown.
    QLabel *imageView() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addRow(QGridLayout *rows, const char *title, const QString &value, const char *field);
    void showText(const QString &text);
    // Pictures shrink to fit the pane; the icon keeps its size.
    void showImage(const QImage &image, bool shrinkToFit);
    void scaleImage();

    IFileEntry *currentItem_;
    QScrollArea *scrollview_;
    QPointer<QPlainTextEdit> textView_;
    QPointer<QLabel> imageView_;
    QImage shownImage_;
    bool shrinkToFit_ = false;
};
