#pragma once

#include "archive/ReaderBase.h"
#include "util/FileKinds.h"

#include <QHash>
#include <QStringList>

class LibarchiveExtraction;
class LibarchiveInput;

// Reads the archives libarchive decodes for Kist: 7z (single files or volume sets
// "name.7z.001", ...), ISO 9660 images, cpio, ar and Debian packages, RPM packages, cabinets and
// LHA. Lists every entry, extracts the whole archive or selected files and folders with their
// permissions, dates, hard links and the symbolic links that stay inside the destination.
// Encrypted 7z content or headers cannot be decoded and are reported as such.
class LibarchiveReader : public ReaderBase {
public:
    LibarchiveReader(const QString &filePath, ArchiveEntry *rootEntry, ProgressReceiver *action,
                     const QString &password, StringEncoding fileEncoding = kAutomaticEncoding,
                     ArchiveKind kind = ArchiveKind::SevenZip);

    void listEntries() override;
    void extract(const QString &destination) override;
    // A folder is extracted with all its files in one walk of the archive.
    void extract(ArchiveEntry *entry, const QString &destination) override;

private:
    std::unique_ptr<LibarchiveInput> openInput() const;
    void addEntry(quint64 index, LibarchiveInput &input);
    // Gathers the files at and below the node, making its folders on the way; false when the
    // thread was cancelled.
    bool select(const ArchiveEntry &node, const QString &destination, const QString &relativeTo,
                LibarchiveExtraction &extraction, QHash<quint64, QString> &files);
    void run(LibarchiveExtraction &extraction, const QHash<quint64, QString> *files);
    // Sets the error of an archive that cannot be read; false when it can.
    bool reportUnreadable(const LibarchiveInput &input, const QString &message);
    void errorEncrypted();

    ArchiveKind kind_;
};
