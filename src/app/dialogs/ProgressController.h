#pragma once

#include <QObject>
#include <QString>

class ProgressSheet;
class QWidget;

// Owns a window's progress sheet and turns byte counts into the bar: the bar works in fixed
// steps, since byte totals outgrow its int range.
class ProgressController : public QObject {
    Q_OBJECT

public:
    explicit ProgressController(QWidget *window);

    // Shows the sheet window-modal over the window; a determinate bar starts at 0.
    void showProgress(bool indeterminate);
    // Hides the sheet with the code.
    void hideProgress(int returnCode);
    void setTopText(const QString &text);
    void setBottomText(const QString &text);
    void setMaxValue(quint64 maxValue);
    void setValue(quint64 value);

signals:
    // The user pressed Cancel (or tried to close the sheet); pressed once per showing.
    void cancelRequested();

private:
    void loadProgressView(QWidget *window);

    ProgressSheet *panel_ = nullptr;
    quint64 maxValue_ = 0;
};
