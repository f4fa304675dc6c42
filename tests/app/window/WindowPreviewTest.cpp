#include "WindowTestKit.h"

#include "app/preview/PreviewView.h"
#include "document/ArchiveDocument.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// A cp1251 text: the pane must detect the encoding, as nothing is remembered for the copy.
const QString kRussian =
    QString::fromUtf8("Привет, мир! Это обычный русский текст для проверки кодировки. "
                      "Съешь же ещё этих мягких французских булок да выпей чаю. ");

// Python that writes a 40 by 30 red PNG into png_bytes, without any imaging library.
const char *const kPngMaker = R"(import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
rows = b''.join(b'\x00' + b'\xc8\x1e\x1e' * 40 for _ in range(30))
png_bytes = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 40, 30, 8, 2, 0, 0, 0))
             + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))
)";

class WindowPreview : public WindowTest {
protected:
    QString makeSample() const {
        python(
            QLatin1String(kPngMaker) +
            QStringLiteral("import zipfile\n"
                           "with zipfile.ZipFile('sample.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                           "    z.writestr('docs/same/n.txt', 'first!')\n"
                           "    z.writestr('docs/other/n.txt', 'second')\n"
                           "    z.writestr('pics/red.png', png_bytes)\n"));
        return dir_.file(QStringLiteral("sample.zip"));
    }

    static PreviewView *pane(const DocumentWindow &window) {
        return window.findChild<PreviewView *>();
    }

    static bool showsText(const DocumentWindow &window, const QString &text) {
        const PreviewView *view = pane(window);
        return view && view->textView() && view->textView()->toPlainText() == text;
    }

    static QSize shownPicture(const DocumentWindow &window) {
        const PreviewView *view = pane(window);
        if (!view || view->textView() || !view->imageView())
            return {};
        return view->imageView()->pixmap().size();
    }
};

} // namespace

TEST_F(WindowPreview, ATextEntryShowsItsTextInTheDetectedEncoding) {
    python(QStringLiteral("import zipfile\n"
                          "with zipfile.ZipFile('ru.zip', 'w') as z:\n"
                          "    z.writestr('docs/russian.txt', ('%1' * 6).encode('cp1251'))\n")
               .arg(kRussian));
    auto window = openWindow(dir_.file(QStringLiteral("ru.zip")));
    click(*window, {"docs", "russian.txt"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsText(*window, kRussian.repeated(6)); }, 10000));
    EXPECT_EQ(pane(*window)->currentItem()->name(), "russian.txt");
}

TEST_F(WindowPreview, APictureEntryShowsThePictureAndAnotherLeafGetsItsOwnPane) {
    auto window = openWindow(makeSample());
    click(*window, {"pics", "red.png"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownPicture(*window) == QSize(40, 30); }, 10000))
        << "a small picture keeps its size";
    ASSERT_EQ(shownPicture(*window), QSize(40, 30));
    const QImage shown = pane(*window)->imageView()->pixmap().toImage();
    EXPECT_EQ(QColor(shown.pixel(20, 15)), QColor(0xc8, 0x1e, 0x1e));

    click(*window, {"docs", "same", "n.txt"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsText(*window, "first!"); }, 10000));
}

// Two entries of the same name and size: only the selection decides which copy the pane shows.
TEST_F(WindowPreview, TheLatestSelectionsCopyIsShown) {
    auto window = openWindow(makeSample());
    click(*window, {"docs", "same", "n.txt"});
    ASSERT_TRUE(window->document().isExecuting()) << "the first extraction runs";
    click(*window, {"docs", "other", "n.txt"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsText(*window, "second"); }, 10000));
    settle(*window);
    EXPECT_TRUE(showsText(*window, "second"));
}

TEST_F(WindowPreview, AnEncryptedArchivesEntryShowsItsIconAndAsksForNoPassword) {
    dir_.write(QStringLiteral("src/secret.txt"), "hidden words");
    ASSERT_EQ(runShell(QStringLiteral("cd '%1/src' && zip -q -P pass ../locked.zip secret.txt")
                           .arg(dir_.path())),
              0);
    auto window = openWindow(dir_.file(QStringLiteral("locked.zip")));
    click(*window, {"secret.txt"});
    QTest::qWait(300);
    settle(*window);
    EXPECT_TRUE(alerts_.isEmpty()) << alerts_.join(", ").toStdString();
    ASSERT_TRUE(pane(*window));
    EXPECT_FALSE(pane(*window)->textView());
    EXPECT_EQ(shownPicture(*window), QSize(PreviewView::kIconSize, PreviewView::kIconSize));
}
