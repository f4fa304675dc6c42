#include "WindowTestKit.h"

#include "app/preview/PreviewView.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// A cp1251 text: the pane must detect the encoding, as nothing is remembered for the copy.
const QString kRussian =
    QString::fromUtf8("Привет, мир! Это обычный русский текст для проверки кодировки. "
                      "Съешь же ещё этих мягких французских булок да выпей чаю. ");

class WindowPreview : public WindowTest {
protected:
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

// Only the encrypted entry waits for a password: it shows its icon without asking, and the
// others still preview, text in its detected encoding and pictures.
TEST_F(WindowPreview, TextPicturesAndTheIconOfAnEncryptedEntryShow) {
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(QColor(0xc8, 0x1e, 0x1e));
    ASSERT_TRUE(red.save(dir_.file("red.png")));
    python(QStringLiteral("import zipfile\n"
                          "with zipfile.ZipFile('sample.zip', 'w') as z:\n"
                          "    z.write('red.png', 'pics/red.png')\n"
                          "    z.writestr('docs/russian.txt', ('%1' * 6).encode('cp1251'))\n")
               .arg(kRussian));
    dir_.write("secret.txt", "hidden words");
    shell("zip -q -P pass sample.zip secret.txt");
    auto window = openWindow(dir_.file("sample.zip"));
    click(*window, {"secret.txt"});
    QTest::qWait(300);
    settle(*window);
    EXPECT_TRUE(alerts_.isEmpty()) << alerts_.join(", ").toStdString();
    ASSERT_TRUE(pane(*window));
    EXPECT_FALSE(pane(*window)->textView());
    EXPECT_EQ(shownPicture(*window), QSize(PreviewView::kIconSize, PreviewView::kIconSize));

    click(*window, {"docs", "russian.txt"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsText(*window, kRussian.repeated(6)); }, 10000));
    click(*window, {"pics", "red.png"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownPicture(*window) == QSize(40, 30); }, 10000))
        << "a small picture keeps its size";
    ASSERT_EQ(shownPicture(*window), QSize(40, 30));
    const QImage shown = pane(*window)->imageView()->pixmap().toImage();
    EXPECT_EQ(QColor(shown.pixel(20, 15)), QColor(0xc8, 0x1e, 0x1e));
}
