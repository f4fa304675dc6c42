#pragma once

#include <QList>
#include <QString>

#include <functional>

class ArchiveDocument;
class ArchiveEntry;

// A document's extraction commands: the target folder (the archive's own when writable, else the
// folder chooser), the password check, the hidden staging folder, and the job on the worker,
// which places the result under a free name beside it.
class DocumentExtraction {
public:
    explicit DocumentExtraction(ArchiveDocument &document);

    // The whole archive into its own folder.
    void extractAll();
    // The whole archive into a folder the user picks.
    void extractTo();
    // The current selection into the archive's folder, or into a picked one.
    void extractSelected();
    void extractSelectedTo();
    // The current selection into a new private temporary folder; the extracted items go to the
    // continuation.
    void extractSelectedForDrag(const std::function<void(const QStringList &paths)> &extracted);
    // After a listing: its error, else the whole archive when the setting asks for it.
    void autoExtract();
    // The sheet's upper text while the named item is extracted.
    static QString extractingText(const QString &name);

private:
    void unzip();
    void extractSelection();
    QList<ArchiveEntry *> selectedEntries() const;
    // An empty selection extracts the whole archive.
    void startExtraction(const QList<ArchiveEntry *> &selection);
    bool canStart() const;

    ArchiveDocument &document_;
};
