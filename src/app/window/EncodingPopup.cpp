#include "app/window/EncodingPopup.h"

#include "encoding/EncodingUtil.h"

EncodingPopup::EncodingPopup(QWidget *parent)
    : QComboBox(parent)
    , items(allEncodingList()) {
    setObjectName(QStringLiteral("ToolBarItemEncoding"));
    setToolTip(tr("Change archive encoding"));
    setFixedSize(150, 30);
    for (const EncodingItem &item : items)
        addItem(item.localizedName());
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit encodingChosen(items.at(index)); });
}

QList<EncodingItem> EncodingPopup::allEncodingList() {
    return QList<EncodingItem>{EncodingItem::automatic()} +
           EncodingUtil::allAvailableStringEncodingsOrdered();
}

void EncodingPopup::setEncodingListSelected(const QString &filePath) {
    const std::optional<QString> remembered = EncodingUtil::getFileEncoding(filePath);
    int selected = 0;
    for (int index = 0; remembered && index < items.size(); ++index) {
        if (items.at(index).name() == *remembered) {
            selected = index;
            break;
        }
    }
    setCurrentIndex(selected);
}
