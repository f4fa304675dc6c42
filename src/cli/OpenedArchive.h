#pragma once

#include "cli/CliExit.h"
#include "cli/CliProgress.h"
#include "cli/TerminalPrompt.h"
#include "document/ArchiveSession.h"

#include <QCommandLineParser>

#include <optional>

// The options every command that reads an archive shares.
void addArchiveOptions(QCommandLineParser &parser);

// An archive opened and listed for a command, with the password taken from --password,
// KIST_PASSWORD or the terminal, and the name encoding from --encoding or the remembered choice.
class OpenedArchive {
public:
    // Reads --password, --encoding and the archive path from the parsed options.
    explicit OpenedArchive(const QCommandLineParser &parser, const QString &archivePath);

    // Opens and lists; on failure prints the message and answers the exit code. With a folder,
    // the whole archive is to be extracted into it next (ArchiveReader::extractWhileListing).
    std::optional<CliExit> list(const QString &extractInto = QString());
    // Asks for the contents' password when needed; ExitPassword when none can be had.
    std::optional<CliExit> checkPassword();
    // The exit code for a reader error after extracting (a failure of an encrypted archive
    // counts as a wrong password).
    CliExit exitForError(const Error &error) const;

    ArchiveSession &session() { return session_; }
    CliProgress &progress() { return progress_; }
    QString path() const { return path_; }
    // The IANA name of the encoding used for names, or null when the format stores no legacy names.
    QString nameEncoding() const;
    bool usageError() const { return !usageProblem_.isEmpty(); }

private:
    QString path_;
    TerminalPrompt prompt_;
    CliProgress progress_;
    ArchiveSession session_;
    StringEncoding encoding_ = kAutomaticEncoding;
    QString usageProblem_;
};

// Makes printError print {"error": {"kind": ..., "message": ...}} on stdout (--json).
void setJsonErrors(bool json);
// Prints "kist-cli: message" on stderr, or the JSON error object; kind is a word of errorKind.
void printError(const QString &message, const QString &kind = QStringLiteral("failed"));
