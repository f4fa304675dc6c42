#include "encoding/EncodingItem.h"

#include "util/Localization.h"

EncodingItem::EncodingItem(StringEncoding encoding, const QString &name)
    : encoding_(encoding)
    , name_(name)
    , localizedName_(StringEncodings::displayName(encoding)) {
    if (localizedName_.isEmpty())
        localizedName_ = name;
}

EncodingItem EncodingItem::automatic() {
    EncodingItem item(kUTF8StringEncoding, QStringLiteral("utf-8"));
    item.setLocalizedName(engineText(kAutomaticName));
    item.setName(QLatin1String(kAutomaticName));
    return item;
}

int EncodingItem::compare(const EncodingItem &other) const {
    return QString::compare(name_, other.name_, Qt::CaseSensitive);
}

int EncodingItem::localizedCompare(const EncodingItem &other) const {
    return QString::compare(localizedName_, other.localizedName_, Qt::CaseSensitive);
}

QString EncodingItem::description() const {
    return QStringLiteral("<EncodingItem:0x%1>%2:%3")
        .arg(quintptr(this), 0, 16)
        .arg(name_, localizedName_);
}
