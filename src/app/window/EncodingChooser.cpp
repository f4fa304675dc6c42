#include "app/window/EncodingChooser.h"

#include "encoding/EncodingUtil.h"
#include "settings/RememberedEncodings.h"

EncodingChooser::EncodingChooser(QWidget *parent)
    : QComboBox(parent)
    , items_(chooserItems()) {
    setObjectName(QStringLiteral("ToolBarItemEncoding"));
    setToolTip(tr("Change archive encoding"));
    setFixedSize(150, 30);
    for (const EncodingItem &item : items_)
        addItem(item.localizedName());
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit encodingChosen(items_.at(index)); });
}

QList<EncodingItem> EncodingChooser::chooserItems() {
    return QList<EncodingItem>{EncodingItem::automatic()} + EncodingUtil::catalogueSorted();
}

void EncodingChooser::selectRememberedEncoding(const QString &filePath) {
    const std::optional<QString> remembered = RememberedEncodings::nameFor(filePath);
    int selected = 0;
    for (int index = 0; remembered && index < items_.size(); ++index) {
        if (items_.at(index).name() == *remembered) {
            selected = index;
            break;
        }
    }
    setCurrentIndex(selected);
}
