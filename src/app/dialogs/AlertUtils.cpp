#include "app/dialogs/AlertUtils.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QString localized(const char *text) {
    return QCoreApplication::translate("AlertUtils", text);
}

} // namespace

std::optional<QString> AlertUtils::input(const QString &message, const QString &defaultValue,
                                         QWidget *parent) {
    return askText(message, defaultValue, QLineEdit::Normal, parent);
}

std::optional<QString> AlertUtils::passwordInput(const QString &message, QWidget *parent) {
    return askText(message, QString(), QLineEdit::Password, parent);
}

std::optional<QString> AlertUtils::askText(const QString &message, const QString &defaultValue,
                                           QLineEdit::EchoMode echoMode, QWidget *parent) {
    QInputDialog dialog(parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(message);
    dialog.setTextEchoMode(echoMode);
    dialog.setTextValue(defaultValue);
    dialog.setOkButtonText(localized("OK"));
    dialog.setCancelButtonText(localized("Cancel"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void AlertUtils::alertMsg(const QString &message, const QString &information, QWidget *parent) {
    QMessageBox alert(parent);
    alert.setWindowModality(Qt::ApplicationModal);
    alert.setIcon(QMessageBox::Information);
    alert.setText(message);
    alert.setInformativeText(information);
    alert.addButton(localized("OK"), QMessageBox::AcceptRole);
    alert.exec();
}

void AlertUtils::alertMsg(const QString &message, QWidget *parent) {
    alertMsg(message, QString(), parent);
}
