#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress sheet: a window-modal dialog of its document window (never of another), showing
// what is being done, the bar, the percentage and Cancel. Closing it any other way than by its
// controller (Escape, the window manager) asks to cancel instead, so the sheet never disappears
// while its task still runs.
class ProgressSheet : public QDialog {
    Q_OBJECT

public:
    explicit ProgressSheet(QWidget *parent);

    QPushButton *cancelBtn;
    QLabel *topField;
    QLabel *bottomField;
    QProgressBar *indicator;

    // Ends the sheet for real, with the code.
    void finish(int returnCode);

signals:
    void cancelRequested();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool finishing_ = false;
};
