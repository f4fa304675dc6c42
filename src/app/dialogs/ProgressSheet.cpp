#include "app/dialogs/ProgressSheet.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ProgressSheet::ProgressSheet(QWidget *parent)
    // A dialog of its window, kept over it by the window manager, without minimise or maximise.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , cancelBtn(new QPushButton(this))
    , topField(new QLabel(this))
    , bottomField(new QLabel(this))
    , indicator(new QProgressBar(this)) {
    setWindowModality(Qt::WindowModal);
    indicator->setTextVisible(false);
    indicator->setMinimumWidth(360);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(topField);
    layout->addWidget(indicator);
    auto *lower = new QHBoxLayout;
    lower->addWidget(bottomField, 1);
    lower->addWidget(cancelBtn);
    layout->addLayout(lower);
    connect(cancelBtn, &QPushButton::clicked, this, &ProgressSheet::cancelRequested);
}

void ProgressSheet::finish(int returnCode) {
    finishing_ = true;
    done(returnCode);
    finishing_ = false;
}

void ProgressSheet::reject() {
    if (finishing_)
        QDialog::reject();
    else
        emit cancelRequested();
}

void ProgressSheet::closeEvent(QCloseEvent *event) {
    if (finishing_)
        return QDialog::closeEvent(event);
    event->ignore();
    emit cancelRequested();
}
