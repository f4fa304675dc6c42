#pragma once

#include "encoding/EncodingItem.h"

#include <QComboBox>
#include <QList>

// The toolbar's encoding chooser: "Automatic", then the catalogue by shown name. Only a choice
// the user makes is announced; selecting the remembered entry is silent.
class EncodingChooser : public QComboBox {
    Q_OBJECT

public:
    explicit EncodingChooser(QWidget *parent = nullptr);

    static QList<EncodingItem> chooserItems();
    // Selects the entry remembered for the archive, else "Automatic".
    void selectRememberedEncoding(const QString &filePath);
    EncodingItem currentItem() const { return items_.at(currentIndex()); }

signals:
    void encodingChosen(const EncodingItem &item);

private:
    QList<EncodingItem> items_;
};
