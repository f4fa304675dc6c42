#include "app/window/EncodingMenu.h"

#include "encoding/EncodingUtil.h"
#include "settings/RememberedEncodings.h"

#include <QActionGroup>

#include <algorithm>

namespace {

// The encodings archive names are met in, besides UTF-8: Windows and DOS code pages, the East
// Asian multi-byte sets, KOI8 and (matched by prefix) the ISO 8859 family.
const QStringList kCommonNames = {
    QStringLiteral("windows-1250"), QStringLiteral("windows-1251"),
    QStringLiteral("windows-1252"), QStringLiteral("windows-1253"),
    QStringLiteral("windows-1254"), QStringLiteral("windows-1255"),
    QStringLiteral("windows-1256"), QStringLiteral("windows-1257"),
    QStringLiteral("windows-1258"), QStringLiteral("TIS-620"),
    QStringLiteral("IBM437"),       QStringLiteral("IBM850"),
    QStringLiteral("IBM852"),       QStringLiteral("IBM866"),
    QStringLiteral("Shift_JIS"),    QStringLiteral("Extended_UNIX_Code_Packed_Format_for_Japanese"),
    QStringLiteral("GBK"),          QStringLiteral("gb18030"),
    QStringLiteral("Big5"),         QStringLiteral("Big5-HKSCS"),
    QStringLiteral("EUC-KR"),       QStringLiteral("KOI8-R"),
    QStringLiteral("KOI8-U"),
};
const QStringList kCommonPrefixes = {QStringLiteral("ISO-8859-"), QStringLiteral("ISO_8859-")};
const QString kUtf8 = QStringLiteral("UTF-8");

} // namespace

EncodingMenu::EncodingMenu(QWidget *parent)
    : QMenu(tr("Encoding"), parent)
    , group_(new QActionGroup(this)) {
    setToolTip(tr("The encoding of the archive's names"));
    automatic_ = addItem(this, EncodingItem::automatic());
    QList<EncodingItem> common;
    QList<EncodingItem> others;
    for (const EncodingItem &item : EncodingUtil::catalogueSorted()) {
        if (item.name() == kUtf8)
            addItem(this, item);
        else
            (isCommon(item) ? common : others).append(item);
    }
    addSeparator();
    for (const EncodingItem &item : common)
        addItem(this, item);
    addSeparator();
    QMenu *more = addMenu(tr("More Encodings"));
    for (const EncodingItem &item : others)
        addItem(more, item);
    automatic_->setChecked(true);
    connect(group_, &QActionGroup::triggered, this, [this](QAction *action) {
        emit encodingChosen(items_.at(action->data().toInt()));
        emit currentChanged();
    });
}

bool EncodingMenu::isCommon(const EncodingItem &item) {
    const QString name = item.name();
    return kCommonNames.contains(name, Qt::CaseInsensitive) ||
           std::any_of(kCommonPrefixes.begin(), kCommonPrefixes.end(),
                       [&name](const QString &prefix) { return name.startsWith(prefix); });
}

QAction *EncodingMenu::addItem(QMenu *menu, const EncodingItem &item) {
    QAction *action = menu->addAction(item.localizedName());
    action->setCheckable(true);
    action->setData(int(items_.size()));
    group_->addAction(action);
    items_.append(item);
    return action;
}

void EncodingMenu::selectRememberedEncoding(const QString &filePath) {
    const std::optional<QString> remembered = RememberedEncodings::nameFor(filePath);
    QAction *chosen = automatic_;
    for (QAction *action : group_->actions()) {
        if (remembered && items_.at(action->data().toInt()).name() == *remembered)
            chosen = action;
    }
    check(chosen);
}

void EncodingMenu::setDetectedEncoding(const QString &name) {
    const QString automatic = EncodingItem::automatic().localizedName();
    automatic_->setText(
        name.isEmpty() ? automatic : tr("%1 (%2)", "automatic (detected)").arg(automatic, name));
    emit currentChanged();
}

void EncodingMenu::check(QAction *action) {
    action->setChecked(true);
    emit currentChanged();
}

QString EncodingMenu::currentText() const {
    const QAction *checked = group_->checkedAction();
    return checked ? checked->text() : QString();
}
