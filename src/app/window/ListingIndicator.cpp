#include "app/window/ListingIndicator.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QToolButton>

namespace {
constexpr int kBarWidth = 120;
}

ListingIndicator::ListingIndicator(QWidget *parent)
    : QWidget(parent) {
    auto *bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("ListingProgress"));
    // No end is known while the entries come: the bar only says that reading goes on.
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setMaximumWidth(kBarWidth);
    auto *cancel = new QToolButton(this);
    cancel->setObjectName(QStringLiteral("ListingCancel"));
    cancel->setText(tr("Stop"));
    cancel->setToolTip(tr("Stop reading the archive"));
    connect(cancel, &QToolButton::clicked, this, &ListingIndicator::cancelRequested);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(cancel);
    hide();
}

void ListingIndicator::start() {
    running_ = true;
    show();
}

void ListingIndicator::stop() {
    running_ = false;
    hide();
}
