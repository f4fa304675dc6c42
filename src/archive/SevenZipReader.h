#pragma once

#include "archive/ReaderBase.h"

#include <QHash>
#include <QStringList>

class SevenZipExtraction;
class SevenZipInput;

// Reads 7z archives, single files or volume sets ("name.7z.001", ...): lists every entry,
// extracts the whole archive or selected files and folders with their permissions, dates and
// the links that stay inside the destination. Encrypted content or headers cannot be decoded
// and are reported as such.
class SevenZipReader : public ReaderBase {
public:
    using ReaderBase::ReaderBase;

    void listEntries() override;
    void extract(const QString &destination) override;
    // A folder is extracted with all its files in one walk of the archive.
    void extract(ArchiveEntry *entry, const QString &destination) override;

private:
    void addEntry(quint64 index, SevenZipInput &input);
    // Gathers the files at and below the node, making its folders on the way; false when the
    // thread was cancelled.
    bool select(const ArchiveEntry &node, const QString &destination, const QString &relativeTo,
                SevenZipExtraction &extraction, QHash<quint64, QString> &files);
    void run(SevenZipExtraction &extraction, const QHash<quint64, QString> *files);
    // Sets the error of an archive that cannot be read; false when it can.
    bool reportUnreadable(const SevenZipInput &input, const QString &message);
    void errorEncrypted();
};
