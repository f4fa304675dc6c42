#include "app/dialogs/Alerts.h"
#include "app/dialogs/ProgressController.h"
#include "app/dialogs/ProgressSheet.h"
#include "app/dialogs/QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Answers the next modal dialog with the script once it shows.
void answerNextDialog(const std::function<void(QDialog &)> &script) {
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, script] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            script(*dialog);
        }
    });
    timer->start(10);
}

QLineEdit &fieldOf(QDialog &dialog) {
    auto *field = dialog.findChild<QLineEdit *>();
    EXPECT_NE(field, nullptr);
    return *field;
}

} // namespace

TEST(AlertUtilsTest, TextInputAnswersTheFieldOnOkAndNoneOnCancel) {
    struct Case {
        const char *name;
        bool password;
        QString typed;
        bool ok;
        std::optional<QString> expected;
    };
    const QList<Case> cases = {
        {"input, OK", false, "renamed", true, QString("renamed")},
        {"input, Cancel after editing", false, "renamed", false, std::nullopt},
        {"password, OK on an empty field", true, "", true, QString("")},
        {"password, OK", true, "secret", true, QString("secret")},
        {"password, Cancel", true, "secret", false, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QLineEdit::EchoMode shownMode = QLineEdit::NoEcho;
        QString shownText;
        QString shownMessage;
        answerNextDialog([&](QDialog &dialog) {
            QLineEdit &field = fieldOf(dialog);
            shownMode = field.echoMode();
            shownText = field.text();
            shownMessage = qobject_cast<QInputDialog *>(&dialog)->labelText();
            field.setText(c.typed);
            c.ok ? dialog.accept() : dialog.reject();
        });
        const std::optional<QString> answer =
            c.password ? Alerts::askPassword("Password?") : Alerts::input("Name?", "default name");
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(shownMode, c.password ? QLineEdit::Password : QLineEdit::Normal);
        EXPECT_EQ(shownText, c.password ? QString() : QString("default name"));
        EXPECT_EQ(shownMessage, c.password ? QString("Password?") : QString("Name?"));
    }
}

TEST(AlertUtilsTest, AlertShowsMessageAndInformationWithOneButton) {
    QString text;
    QString information;
    qsizetype buttons = 0;
    answerNextDialog([&](QDialog &dialog) {
        auto &alert = *qobject_cast<QMessageBox *>(&dialog);
        text = alert.text();
        information = alert.informativeText();
        buttons = alert.buttons().size();
        alert.buttons().first()->click();
    });
    Alerts::alert("The archive is damaged", "volume 2 is missing");
    EXPECT_EQ(text, QString("The archive is damaged"));
    EXPECT_EQ(information, QString("volume 2 is missing"));
    EXPECT_EQ(buttons, 1);
}

TEST(QtDialogsTest, FolderChooserOpensAtTheFolderAndAnswersIt) {
    QMainWindow window;
    QtDialogs dialogs(&window);
    const QString folder = QDir::tempPath();
    QString opened;
    answerNextDialog([&](QDialog &dialog) {
        if (auto *chooser = qobject_cast<QFileDialog *>(&dialog))
            opened = chooser->directory().canonicalPath();
        dialog.accept();
    });
    const auto chosen = dialogs.pickFolder(folder);
    EXPECT_EQ(opened, QDir(folder).canonicalPath());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QDir(*chosen).canonicalPath(), QDir(folder).canonicalPath());

    answerNextDialog([](QDialog &dialog) { dialog.reject(); });
    EXPECT_FALSE(dialogs.pickFolder(folder).has_value());
}

TEST(ProgressViewControllerTest, SheetShowsProgressAndOnlyItsControllerEndsIt) {
    QMainWindow window;
    window.show();
    ProgressController progress(&window);
    ProgressSheet &sheet = *progress.panelProgress();
    QSignalSpy cancels(&progress, &ProgressController::cancelRequested);

    progress.showProgress(false);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet.topField->text(), QString("Loading..."));
    EXPECT_EQ(sheet.cancelBtn->text(), QString("Cancel"));
    // Totals far beyond the bar's int range still move it in proportion.
    progress.setMaxValue(quint64(40) << 30);
    progress.setValue(quint64(10) << 30);
    EXPECT_EQ(sheet.indicator->value() * 4, sheet.indicator->maximum());

    // Escape asks to cancel but leaves the sheet up until the task has ended.
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_TRUE(sheet.isVisible());
    sheet.cancelBtn->click();
    EXPECT_EQ(cancels.size(), 1) << "one cancel per showing";

    progress.hideProgress(10000);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), 10000);

    progress.showProgress(true);
    EXPECT_EQ(sheet.indicator->maximum(), 0) << "indeterminate";
    sheet.cancelBtn->click();
    EXPECT_EQ(cancels.size(), 2);
    progress.hideProgress(0);
}
