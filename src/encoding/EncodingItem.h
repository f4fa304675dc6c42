#pragma once

#include "encoding/StringEncoding.h"

#include <QString>
#include <QtGlobal>

// One entry of the encoding pop-up: the encoding, the name that gets remembered (an IANA
// charset name, or "Automatic" for detection) and the text shown.
class EncodingItem {
public:
    // The name of the automatic item, stored as is in the remembered choices; also the key of
    // its shown text.
    static constexpr char kAutomaticName[] = QT_TRANSLATE_NOOP("Engine", "Automatic");

    // The shown name is the encoding's display name, or name when it has none.
    EncodingItem(StringEncoding encoding, const QString &name);
    // The item that asks for detection; its encoding (UTF-8) carries no meaning.
    static EncodingItem automatic();

    StringEncoding encoding() const { return encoding_; }
    QString name() const { return name_; }
    QString localizedName() const { return localizedName_; }

private:
    EncodingItem(StringEncoding encoding, const QString &name, const QString &localizedName);

    StringEncoding encoding_;
    QString name_;
    QString localizedName_;
};
