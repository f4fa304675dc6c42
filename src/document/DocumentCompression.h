#pragma once

#include <QString>
#include <QStringList>

#include "zip/WriteFormats.h"

#include <optional>

class ArchiveDocument;

// A document's "Zip" and "Compress As...": the target folder (for a zip beside the gathered items
// when they share one, else asked; for "Compress As..." the save dialog's), the archive's name and
// format, and the writing on the worker into a temporary file that moves to the first free name.
class DocumentCompression {
public:
    explicit DocumentCompression(ArchiveDocument &document);

    void zip();
    // The save dialog's name decides the format when it ends in a writable format's extension,
    // else the chosen filter does and its extension is added.
    void compressAs();

    // The last archive's name as asked for: the items' base name for a zip, else the name the
    // save dialog gave.
    QString zipFileName() const { return zipFileName_; }
    // The paths written by the last "Zip", in list order.
    QStringList selectedFiles() const { return selectedFiles_; }

private:
    bool canStart() const;
    // Every listed item is written, in list order.
    void takeListedItems();
    void pickZipFolder();
    void runCompression();
    // The name comes from the item selected first in the first column, else from the first item.
    QString nameSource() const;

    ArchiveDocument &document_;
    QString zipFileName_;
    // The name and format the save dialog gave; none for a zip named after the items.
    std::optional<QString> chosenName_;
    WriteFormat format_ = WriteFormat::Zip;
    QStringList selectedFiles_;
};
