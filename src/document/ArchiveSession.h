#pragma once

#include "archive/ReaderBase.h"

#include <QString>

#include <memory>

class IPasswordPrompt;
class ArchiveEntry;

// An opened archive: its reader, its entry tree and the password flow. The desktop document and
// kist-cli both drive archives through it, so both follow the same rules.
class ArchiveSession {
public:
    struct ListingOutcome {
        bool proceed = true;          // entries are listed (or no password was ever needed)
        bool promptCancelled = false; // the user gave up at the password prompt
    };

    ArchiveSession(const QString &filePath, IPasswordPrompt *prompt, ProgressReceiver *action);
    ~ArchiveSession();

    // Creates the reader for the path's extension with the name encoding to use (the remembered
    // one when the caller has no other); false when the extension names no archive.
    bool open(StringEncoding fileEncoding);
    // Lists the archive, asking for a password while the names are enciphered and the list stays
    // empty. Runs on a worker thread; stops at its cancel mark.
    ListingOutcome list();
    // Empties the tree and lists again (after a password or another encoding was chosen).
    void relist();
    // Before extracting: asks for a password when the contents need one and none is known yet.
    // False when the user gave none.
    bool checkPassword();

    ReaderBase *reader() const { return reader_.get(); }
    ArchiveEntry *rootEntry() const { return rootEntry_.get(); }
    QString filePath() const { return filePath_; }
    QString password() const { return password_; }
    void setPassword(const QString &password) { password_ = password; }
    QString confirmedPassword() const { return confirmedPassword_; }
    bool needsPassword() const { return needsPassword_; }

private:
    bool probePassword(bool *asked);
    bool askPassword();

    QString filePath_;
    IPasswordPrompt *prompt_;
    ProgressReceiver *action_;
    std::unique_ptr<ArchiveEntry> rootEntry_;
    std::unique_ptr<ReaderBase> reader_;
    QString password_;
    QString confirmedPassword_;
    bool needsPassword_ = false;
    bool passwordProbed_ = false;
};
