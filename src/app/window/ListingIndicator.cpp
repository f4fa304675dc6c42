#include "app/window/ListingIndicator.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QToolButton>

namespace {
constexpr int kBarWidth = 120;
}

ListingIndicator::ListingIndicator(QWidget *parent)
    : QWidget(parent)
    , stop_(new QToolButton(this)) {
    auto *bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("ListingProgress"));
    // No end is known while the entries come: the bar only says that reading goes on.
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setMaximumWidth(kBarWidth);
    stop_->setObjectName(QStringLiteral("ListingCancel"));
    stop_->setText(tr("Stop"));
    stop_->setToolTip(tr("Stop reading the archive"));
    connect(stop_, &QToolButton::clicked, this, [this] {
        // One stop per listing: the stop waits for the listing, and a second press must not
        // start a second wait inside the first.
        stop_->setEnabled(false);
        emit cancelRequested();
    });
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(stop_);
    hide();
}

void ListingIndicator::start() {
    running_ = true;
    stop_->setEnabled(true);
    show();
}

void ListingIndicator::stop() {
    running_ = false;
    hide();
}
