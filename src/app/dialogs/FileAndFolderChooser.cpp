#include "app/dialogs/FileAndFolderChooser.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

FileAndFolderChooser::FileAndFolderChooser(QWidget *parent)
    : QFileDialog(parent, tr("Add files and folders to compress")) {
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setLabelText(QFileDialog::Accept, tr("Add"));
    setWindowModality(Qt::WindowModal);
    // The list and the detail view share one selection.
    list_ = findChild<QAbstractItemView *>(QStringLiteral("listView"));
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileAndFolderChooser::keepAcceptLabel, Qt::QueuedConnection);
    connect(findChild<QLineEdit *>(), &QLineEdit::textChanged, this,
            &FileAndFolderChooser::keepAcceptLabel, Qt::QueuedConnection);
}

void FileAndFolderChooser::keepAcceptLabel() {
    if (auto *buttons = findChild<QDialogButtonBox *>())
        buttons->button(QDialogButtonBox::Open)->setText(tr("Add"));
}

QStringList FileAndFolderChooser::chosenPaths() const {
    // The name field lists only the selected files; folders are taken from the list.
    QStringList paths = selectedFiles();
    for (const QModelIndex &row : list_->selectionModel()->selectedRows()) {
        const QString path = row.data(QFileSystemModel::FilePathRole).toString();
        if (!paths.contains(path))
            paths.append(path);
    }
    return paths;
}

void FileAndFolderChooser::accept() {
    const QStringList chosen = chosenPaths();
    const bool allExist = !chosen.isEmpty() &&
                          std::all_of(chosen.begin(), chosen.end(),
                                      [](const QString &path) { return QFileInfo::exists(path); });
    // A name that names nothing gets Qt's own message.
    if (allExist)
        QDialog::accept(); // NOLINT(bugprone-parent-virtual-call): past QFileDialog's check
    else
        QFileDialog::accept();
}
