#include "app/dialogs/ProgressController.h"

#include "app/dialogs/ProgressSheet.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {
constexpr int kBarSteps = 10000;
}

ProgressController::ProgressController(QWidget *window)
    : QObject(window) {
    loadProgressView(window);
}

void ProgressController::loadProgressView(QWidget *window) {
    panel = new ProgressSheet(window);
    panel->topField->setText(tr("Loading..."));
    panel->cancelBtn->setText(tr("Cancel"));
    connect(panel, &ProgressSheet::cancelRequested, this, [this] {
        // One cancel per showing: the cancel waits for the task, and a second press must not
        // start a second wait inside the first.
        if (!panel->cancelBtn->isEnabled())
            return;
        panel->cancelBtn->setEnabled(false);
        emit cancelRequested();
    });
}

void ProgressController::showProgress(bool indeterminate) {
    panel->cancelBtn->setEnabled(true);
    panel->indicator->setRange(0, indeterminate ? 0 : kBarSteps);
    if (!indeterminate)
        panel->indicator->setValue(0);
    panel->open();
}

void ProgressController::hideProgress(int returnCode) {
    panel->finish(returnCode);
}

void ProgressController::setTopText(const QString &text) {
    panel->topField->setText(text);
}

void ProgressController::setBottomText(const QString &text) {
    panel->bottomField->setText(text);
}

void ProgressController::setMaxValue(quint64 maxValue) {
    maxValue_ = maxValue;
    if (panel->indicator->maximum() != 0)
        panel->indicator->setValue(0);
}

void ProgressController::setValue(quint64 value) {
    if (panel->indicator->maximum() == 0)
        return;
    const quint64 bounded = std::min(value, maxValue_);
    const double fraction = maxValue_ == 0 ? 0.0 : double(bounded) / double(maxValue_);
    panel->indicator->setValue(int(fraction * kBarSteps));
}
