#include "app/dialogs/QtDialogs.h"

#include "app/dialogs/Alerts.h"
#include "app/dialogs/FileAndFolderChooser.h"
#include "app/dialogs/FileViewer.h"
#include "util/FileKinds.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

#include <algorithm>

QtDialogs::QtDialogs(QWidget *window)
    : QObject(window)
    , window_(window) {
}

void QtDialogs::alert(const QString &message, const QString &information) {
    Alerts::alert(message, information, window_);
}

std::optional<QString> QtDialogs::askPassword(const QString &message) {
    return Alerts::askPassword(message, window_);
}

std::optional<QString> QtDialogs::pickFolder(const std::optional<QString> &openingFolder) {
    // Qt's own dialog: the platform's would not take the name of the accept button.
    QFileDialog chooser(window_, tr("Choose"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setLabelText(QFileDialog::Accept, tr("Confirm"));
    chooser.setWindowModality(Qt::WindowModal);
    if (openingFolder)
        chooser.setDirectory(*openingFolder);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().first();
}

std::optional<IDialogs::ArchiveChoice> QtDialogs::saveArchive(const QString &folder,
                                                              const QString &name) {
    QFileDialog dialog(window_, tr("Compress As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // An existing name is never replaced: the archive takes the next free one.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QList<WriteFormat> formats = WriteFormats::all();
    QStringList filters;
    for (const WriteFormat format : formats)
        filters.append(tr("%1 archive (*.%2)")
                           .arg(WriteFormats::name(format), WriteFormats::extension(format)));
    dialog.setNameFilters(filters);
    dialog.setDirectory(folder);
    dialog.selectFile(name);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const WriteFormat format =
        formats.value(filters.indexOf(dialog.selectedNameFilter()), WriteFormat::Zip);
    QString path = dialog.selectedFiles().first();
    // Choosing a filter replaces the typed name's last suffix with the filter's ("backup.7z"
    // becomes "backup.gz" under tar.gz): that suffix stands for the whole extension.
    const QString lastSuffix = QLatin1Char('.') + WriteFormats::extension(format).section('.', -1);
    if (!WriteFormats::fromFileName(path) && path.endsWith(lastSuffix))
        path = path.chopped(lastSuffix.size()) + QLatin1Char('.') + WriteFormats::extension(format);
    return ArchiveChoice{path, format};
}

QStringList QtDialogs::pickFilesAndFolders() {
    FileAndFolderChooser chooser(window_);
    if (chooser.exec() != QDialog::Accepted)
        return {};
    return chooser.chosenPaths();
}

std::optional<QString> QtDialogs::pickArchive() {
    QStringList patterns;
    for (const QString &extension : FileKinds::archiveExtensions())
        patterns.append(QStringLiteral("*.") + extension);
    std::sort(patterns.begin(), patterns.end());
    const QString filter = tr("Archives (%1)").arg(patterns.join(QLatin1Char(' ')));
    const QString path =
        QFileDialog::getOpenFileName(window_, tr("Open the archive file"), QString(), filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void QtDialogs::openWithDefaultApplication(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDialogs::showInFolder(const QString &path) {
    FileViewer::showItem(path, this);
}
