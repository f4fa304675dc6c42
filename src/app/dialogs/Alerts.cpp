#include "app/dialogs/Alerts.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QString localized(const char *text) {
    return QCoreApplication::translate("Alerts", text);
}

} // namespace

std::optional<QString> Alerts::askPassword(const QString &message, QWidget *parent) {
    QInputDialog dialog(parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(message);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(localized("OK"));
    dialog.setCancelButtonText(localized("Cancel"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void Alerts::alert(const QString &message, const QString &information, QWidget *parent) {
    QMessageBox alert(parent);
    alert.setWindowModality(Qt::ApplicationModal);
    alert.setIcon(QMessageBox::Information);
    alert.setText(message);
    alert.setInformativeText(information);
    alert.addButton(localized("OK"), QMessageBox::AcceptRole);
    alert.exec();
}

void Alerts::alert(const QString &message, QWidget *parent) {
    alert(message, QString(), parent);
}
