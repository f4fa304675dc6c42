#pragma once

#include <QLabel>
#include <QList>

class FileSizeThread;
class IFileEntry;
class ArchiveDocument;

// The line under the browser: totals of the archive, the selected entries or the gathered files.
// Totals of files on disk come from the size thread and replace "Loading…" when ready.
class StatusLine : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    // Shows what the document's state and the selection call for. shownRoot is the tree the
    // browser shows: only that tree is read, and only once its listing has ended (until then the
    // line counts the entries handed over).
    void browserSelected(const ArchiveDocument &document, const IFileEntry *shownRoot,
                         const QList<IFileEntry *> &selection);

private:
    void showArchive(const ArchiveDocument &document, const IFileEntry *shownRoot,
                     const QList<IFileEntry *> &selection);
    void showGathered(const ArchiveDocument &document, const QList<IFileEntry *> &selection);
    void showComputed(quint64 itemCount, quint64 totalSize, const QStringList &paths);
    // "N items, " (plural by count), which the size follows.
    static QString itemsPrefix(quint64 count);

    FileSizeThread *sizes_;
};
