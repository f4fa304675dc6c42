#pragma once

#include "document/IDialogs.h"

#include <QObject>

class QWidget;

// The real dialogs and desktop services of a document window; the folder chooser runs
// window-modal over it, the alerts application-modal.
class QtDialogs : public QObject, public IDialogs {
    Q_OBJECT

public:
    explicit QtDialogs(QWidget *window);

    void alert(const QString &message, const QString &information) override;
    std::optional<QString> askPassword(const QString &message) override;
    std::optional<QString> pickFolder(const std::optional<QString> &openingFolder) override;
    std::optional<ArchiveChoice> saveArchive(const QString &folder, const QString &name) override;
    QStringList pickFilesAndFolders() override;
    void openWithDefaultApplication(const QString &path) override;
    void showInFolder(const QString &path) override;

    // The standard open dialog for archives; none when the user cancelled.
    std::optional<QString> pickArchive();

private:
    QWidget *window_;
};
