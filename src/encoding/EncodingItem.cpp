#include "encoding/EncodingItem.h"

#include "util/Localization.h"

EncodingItem::EncodingItem(StringEncoding encoding, const QString &name)
    : EncodingItem(encoding, name, StringEncodings::displayName(encoding)) {
    if (localizedName_.isEmpty())
        localizedName_ = name;
}

EncodingItem::EncodingItem(StringEncoding encoding, const QString &name,
                           const QString &localizedName)
    : encoding_(encoding)
    , name_(name)
    , localizedName_(localizedName) {
}

EncodingItem EncodingItem::automatic() {
    return EncodingItem(kUTF8StringEncoding, QLatin1String(kAutomaticName),
                        Engine::tr(kAutomaticName));
}
