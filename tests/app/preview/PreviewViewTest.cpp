#include "app/preview/PreviewView.h"
#include "archive/ArchiveEntry.h"
#include "document/FileSystemNode.h"
#include "document/PreviewContent.h"
#include "support/TestDirs.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<ArchiveEntry> archiveEntry(const QString &path, quint64 size, quint64 stored) {
    ArchiveEntry::Fields fields;
    fields.uncompressedSize = size;
    fields.compressedSize = stored;
    fields.date = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    return std::make_unique<ArchiveEntry>(path, fields);
}

QString field(const PreviewView &view, const char *name) {
    const auto *label = view.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<absent>");
}

QString picture(const ScratchDir &dir, const QString &name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir.file(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

bool showsText(const PreviewView &view, const QString &text) {
    return view.textView() && !view.imageView() && view.textView()->toPlainText() == text;
}

bool showsIcon(const PreviewView &view) {
    return !view.textView() && view.imageView() &&
           view.imageView()->pixmap().size() ==
               QSize(PreviewView::kIconSize, PreviewView::kIconSize);
}

} // namespace

TEST(PreviewView, AFileOnDiskShowsItsTextAtOnceWithTheModifiedRow) {
    ScratchDir dir;
    FileSystemNode node(dir.write("notes.txt", "first line\nsecond line"));
    PreviewView view(&node);
    EXPECT_TRUE(showsText(view, "first line\nsecond line"));
    EXPECT_EQ(field(view, "nameField"), "notes.txt");
    EXPECT_EQ(field(view, "sizeField"), node.filesizeString());
    EXPECT_EQ(field(view, "modifiedField"), node.modifiedString());
    EXPECT_FALSE(field(view, "modifiedField").isEmpty());
    EXPECT_EQ(field(view, "storedField"), "<absent>");
}

TEST(PreviewView, AnArchiveEntryShowsItsIconUntilItsCopyArrives) {
    ScratchDir dir;
    const auto entry = archiveEntry("docs/readme.txt", 7, 5);
    PreviewView view(entry.get());
    EXPECT_TRUE(showsIcon(view));
    EXPECT_EQ(field(view, "storedField"), entry->compressedString());
    EXPECT_EQ(field(view, "createdField"), entry->createdString());
    EXPECT_EQ(field(view, "modifiedField"), "<absent>");

    // Copies of another entry, of another size, or none at all leave or bring back the icon.
    view.viewFile(dir.write("other/readme.md", "read me"));
    view.viewFile(dir.write("short/readme.txt", "read"));
    EXPECT_TRUE(showsIcon(view));
    view.viewFile(dir.write("copy/readme.txt", "read me"));
    EXPECT_TRUE(showsText(view, "read me"));
    view.viewFile(dir.write("short/readme.txt", "read"));
    EXPECT_TRUE(showsText(view, "read me")) << "a stale copy changes nothing";
    view.viewFile(std::nullopt);
    EXPECT_TRUE(showsIcon(view));
    view.viewFile(dir.file("copy/readme.txt"));
    view.viewFile(QString());
    EXPECT_TRUE(showsIcon(view));
}

TEST(PreviewView, PicturesShowShrunkToThePaneAndOversizedFilesShowTheIcon) {
    ScratchDir dir;
    const QString wide = picture(dir, "wide.png", QSize(2000, 1000));
    FileSystemNode node(wide);
    PreviewView view(&node);
    view.resize(400, 500);
    QCoreApplication::processEvents();
    ASSERT_TRUE(view.imageView());
    EXPECT_FALSE(view.textView());
    const QSize shown = view.imageView()->pixmap().size();
    EXPECT_LE(shown.width(), 400);
    EXPECT_EQ(shown.width(), 2 * shown.height());

    // A picture that does not decode shows an empty picture, not the icon.
    FileSystemNode broken(dir.write("broken.png", "not a picture at all"));
    PreviewView brokenView(&broken);
    ASSERT_TRUE(brokenView.imageView());
    EXPECT_TRUE(brokenView.imageView()->pixmap().isNull());

    QFile big(dir.file("big.txt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) &&
                big.resize(qint64(PreviewContent::kTextSizeLimit) + 1));
    big.close();
    FileSystemNode bigNode(big.fileName());
    EXPECT_TRUE(showsIcon(PreviewView(&bigNode)));
}
