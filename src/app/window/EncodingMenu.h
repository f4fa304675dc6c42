#pragma once

#include "encoding/EncodingItem.h"

#include <QList>
#include <QMenu>

class QAction;
class QActionGroup;

// The choice of the encoding of an archive's names, one menu shown both in the menu bar and by
// the toolbar's button: "Automatic" (naming the encoding it detected), UTF-8 and the encodings
// archive names are commonly written in, then every other one under "More Encodings". Only a
// choice the user makes is announced; checking the remembered one is silent.
class EncodingMenu : public QMenu {
    Q_OBJECT

public:
    explicit EncodingMenu(QWidget *parent = nullptr);

    // Checks the encoding remembered for the archive, else "Automatic".
    void selectRememberedEncoding(const QString &filePath);
    // The encoding detection found, shown with "Automatic"; empty when none is known.
    void setDetectedEncoding(const QString &name);
    // The checked item's text, for the toolbar's button.
    QString currentText() const;

signals:
    void encodingChosen(const EncodingItem &item);
    // The checked item or its text changed.
    void currentChanged();

private:
    QAction *addItem(QMenu *menu, const EncodingItem &item);
    void check(QAction *action);
    static bool isCommon(const EncodingItem &item);

    QActionGroup *group_;
    QList<EncodingItem> items_;
    QAction *automatic_ = nullptr;
};
