#pragma once

#include <QLabel>
#include <QList>

class FileSizeThread;
class IFileEntry;
class ArchiveDocument;

// The line under the browser: totals of the archive, the selected entry or the gathered files.
// Totals of files on disk come from the size thread and replace "Loading..." when ready.
class StatusLine : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    // Shows what the document's state and the selection call for.
    void browserSelected(const ArchiveDocument &document, const QList<IFileEntry *> &selection);
    FileSizeThread *sizeThread() const { return sizes_; }

private:
    void showArchive(const ArchiveDocument &document, const QList<IFileEntry *> &selection);
    void showGathered(const ArchiveDocument &document, const QList<IFileEntry *> &selection);
    void computeSize(const QStringList &paths);
    void showComputed(quint64 itemCount, quint64 totalSize, const QStringList &paths);
    // "N items , ", which the size follows.
    static QString itemsPrefix(quint64 count);

    FileSizeThread *sizes_;
};
