#pragma once

#include <QString>
#include <QStringList>

#include "zip/WriteFormats.h"

#include <optional>

// The dialogs and the desktop services the document uses. Each dialog is modal and returns
// once the user has answered. Every call comes on the main thread.
class IDialogs {
public:
    virtual ~IDialogs() = default;

    // A message with an informative text below it and one "OK" button.
    virtual void alert(const QString &message, const QString &information) = 0;
    // A masked text field; none when the user cancelled (an empty answer is not none).
    virtual std::optional<QString> askPassword(const QString &message) = 0;
    // A folder chooser, opening at the folder when one is given; the chosen folder, or none when
    // the user cancelled.
    virtual std::optional<QString> pickFolder(const std::optional<QString> &openingFolder) = 0;
    // What the save dialog for a new archive answered: the path typed or picked, and the format
    // of the name filter chosen.
    struct ArchiveChoice {
        QString path;
        WriteFormat format = WriteFormat::Zip;
    };
    // A save dialog for a new archive, opening in the folder with the proposed name and one name
    // filter per writable format, zip chosen first; none when the user cancelled. It never asks
    // about replacing a file: the archive takes a free name instead.
    virtual std::optional<ArchiveChoice> saveArchive(const QString &folder,
                                                     const QString &name) = 0;
    // Files and folders to gather, several at once; empty when the user cancelled.
    virtual QStringList pickFilesAndFolders() = 0;
    virtual void openWithDefaultApplication(const QString &path) = 0;
    // Shows the item selected in the desktop's file viewer, rooted at its folder.
    virtual void showInFolder(const QString &path) = 0;
};
