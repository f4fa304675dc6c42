#pragma once

#include <QString>
#include <QStringList>

class ArchiveDocument;

// A document's "Zip" and "Zip As...": the target folder (beside the gathered items when they share
// one, else asked), the archive's name, and the writing on the worker into a temporary file that
// moves to the first free name.
class DocumentCompression {
public:
    explicit DocumentCompression(ArchiveDocument &document);

    void zip();
    void zipTo();

    // The last archive's base name, without ".zip".
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
    QStringList selectedFiles_;
};
