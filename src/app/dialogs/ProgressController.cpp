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
    panel_ = new ProgressSheet(window);
    panel_->topField->setText(tr("Loading..."));
    panel_->cancelBtn->setText(tr("Cancel"));
    connect(panel_, &ProgressSheet::cancelRequested, this, [this] {
        // One cancel per showing: the cancel waits for the task, and a second press must not
        // start a second wait inside the first.
        if (!panel_->cancelBtn->isEnabled())
            return;
        panel_->cancelBtn->setEnabled(false);
        emit cancelRequested();
    });
}

void ProgressController::showProgress(bool indeterminate) {
    panel_->cancelBtn->setEnabled(true);
    panel_->setWindowTitle(panel_->parentWidget()->windowTitle());
    panel_->indicator->setRange(0, indeterminate ? 0 : kBarSteps);
    if (!indeterminate)
        panel_->indicator->setValue(0);
    panel_->open();
}

void ProgressController::hideProgress(int returnCode) {
    panel_->finish(returnCode);
}

void ProgressController::setTopText(const QString &text) {
    panel_->topField->setText(text);
}

void ProgressController::setBottomText(const QString &text) {
    panel_->bottomField->setText(text);
}

void ProgressController::setMaxValue(quint64 maxValue) {
    maxValue_ = maxValue;
    if (panel_->indicator->maximum() != 0)
        panel_->indicator->setValue(0);
}

void ProgressController::setValue(quint64 value) {
    if (panel_->indicator->maximum() == 0)
        return;
    const quint64 bounded = std::min(value, maxValue_);
    const double fraction = maxValue_ == 0 ? 0.0 : double(bounded) / double(maxValue_);
    panel_->indicator->setValue(int(fraction * kBarSteps));
}
