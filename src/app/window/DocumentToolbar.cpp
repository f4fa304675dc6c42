#include "app/window/DocumentToolbar.h"

#include "app/window/DocumentCommands.h"
#include "app/window/EncodingMenu.h"

#include <QToolButton>

using Id = DocumentCommands::Id;

DocumentToolbar::DocumentToolbar(const DocumentCommands &commands, EncodingMenu *encodings,
                                 QWidget *parent)
    : QToolBar(tr("Commands"), parent)
    , encodingButton_(new QToolButton(this)) {
    setObjectName(QStringLiteral("DocumentToolbar"));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(kIconSize, kIconSize));
    setMovable(false);
    addActions(commands.actions({Id::Extract, Id::ExtractAs}));
    addSeparator();
    addAction(commands.action(Id::Open));
    addSeparator();
    addActions(commands.actions({Id::Zip, Id::CompressAs, Id::Add, Id::Delete}));

    auto *flexibleSpace = new QWidget(this);
    flexibleSpace->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(flexibleSpace);
    encodingButton_->setObjectName(QStringLiteral("EncodingButton"));
    encodingButton_->setMenu(encodings);
    encodingButton_->setPopupMode(QToolButton::InstantPopup);
    encodingButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    encodingButton_->setToolTip(encodings->toolTip());
    const auto showCurrent = [this, encodings] {
        encodingButton_->setText(tr("Encoding: %1").arg(encodings->currentText()));
    };
    connect(encodings, &EncodingMenu::currentChanged, encodingButton_, showCurrent);
    showCurrent();
    addWidget(encodingButton_);
}

void DocumentToolbar::setEncodingEnabled(bool enabled) {
    encodingButton_->setEnabled(enabled);
}
