#pragma once

#include "archive/ArchiveWarning.h"
#include "encoding/StringEncoding.h"
#include "util/Error.h"

#include <QString>

#include <optional>

class ProgressReceiver;
class ArchiveEntry;

// The reader of one archive format, as the document and the command-line tool drive it.
// Failures never interrupt the caller: each call returns and the caller reads archiveError().
class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;
    // Password used by the next listing or extraction.
    virtual void setPassword(const QString &password) = 0;
    // Fills the root entry with one node per archive entry; stops early when cancelled.
    virtual void listEntries() = 0;
    // Extracts the whole archive into the folder, keeping the archive's relative paths.
    virtual void extract(const QString &destination) = 0;
    // Extracts one entry of this reader's tree (a folder with everything below it) into the
    // folder under its own name; a null entry extracts the whole archive.
    virtual void extract(ArchiveEntry *entry, const QString &destination) = 0;
    // True when the archive holds entries that need a password.
    virtual bool isEncrypted() = 0;
    // The chosen name encoding (kAutomaticEncoding: detect); takes effect at the next listing.
    virtual void setFileEncoding(StringEncoding encoding) = 0;
    virtual std::optional<Error> archiveError() const = 0;
    // What the last extraction left out although it went on (links leading outside, devices).
    virtual ArchiveWarnings warnings() const = 0;
    // Listing found that even the entry names need a password.
    virtual bool hasEncryptedNames() const = 0;
    // Listing reports byte progress against the archive file's size.
    virtual bool reportsListingProgress() const = 0;
    // Whether extracted items get the entries' dates.
    virtual void setRestoresDates(bool restoresDates) = 0;
    virtual void setProgressReceiver(ProgressReceiver *delegate) = 0;
    // The archive ends early or breaks off, yet what came before is sound: extraction keeps the
    // entries written and still reports the error.
    virtual bool keepsWhatWasRead() const { return false; }
    // Announced before the first listing: the next extraction of the whole archive goes into
    // destination. A reader that decompresses everything to list it may extract during that
    // listing, so the data is decoded and read once.
    virtual void extractWhileListing(const QString &destination) { Q_UNUSED(destination); }
};
