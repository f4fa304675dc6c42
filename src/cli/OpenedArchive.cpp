#include "cli/OpenedArchive.h"

#include "archive/ArchiveEntry.h"
#include "archive/ArchiveError.h"
#include "cli/CancellableRun.h"
#include "document/ArchiveRules.h"
#include "encoding/StringEncoding.h"
#include "util/FileOps.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString presetPassword(const QCommandLineParser &parser) {
    if (parser.isSet(QStringLiteral("password")))
        return parser.value(QStringLiteral("password"));
    return qEnvironmentVariable("KIST_PASSWORD");
}

} // namespace

namespace {
bool jsonErrors = false;
} // namespace

void setJsonErrors(bool json) {
    jsonErrors = json;
}

void printError(const QString &message, const QString &kind) {
    if (!jsonErrors) {
        std::fprintf(stderr, "kist-cli: %s\n", qPrintable(message));
        return;
    }
    const QJsonObject error{{QStringLiteral("kind"), kind}, {QStringLiteral("message"), message}};
    std::fputs(QJsonDocument(QJsonObject{{QStringLiteral("error"), error}}).toJson().constData(),
               stdout);
}

void addArchiveOptions(QCommandLineParser &parser) {
    parser.addOption({QStringLiteral("password"),
                      QCoreApplication::translate(
                          "Cli", "Password of an encrypted archive (or set KIST_PASSWORD)."),
                      QStringLiteral("P")});
    parser.addOption({QStringLiteral("encoding"),
                      QCoreApplication::translate(
                          "Cli", "Encoding of entry names: an IANA name, or \"auto\" to detect "
                                 "(default: the remembered choice, else detection)."),
                      QStringLiteral("NAME")});
}

OpenedArchive::OpenedArchive(const QCommandLineParser &parser, const QString &archivePath)
    : path_(QFileInfo(archivePath).absoluteFilePath())
    , prompt_(presetPassword(parser))
    , session_(path_, &prompt_, &progress_) {
    const QString name = parser.value(QStringLiteral("encoding"));
    if (!parser.isSet(QStringLiteral("encoding"))) {
        encoding_ = ArchiveRules::rememberedEncoding(path_);
    } else if (name.compare(QLatin1String("auto"), Qt::CaseInsensitive) != 0) {
        encoding_ = StringEncodings::fromIANAName(name);
        if (encoding_ == kAutomaticEncoding)
            usageProblem_ = QCoreApplication::translate("Cli", "unknown encoding: %1").arg(name);
    }
}

std::optional<CliExit> OpenedArchive::list(const QString &extractInto) {
    if (usageError()) {
        printError(usageProblem_);
        return ExitUsage;
    }
    // A path that cannot be opened is no archive of any kind: the system says why.
    if (const auto cause = FileOps::readError(path_)) {
        const Error unopened = archiveError(ArchiveErrorCode::FailedOpenFile);
        printError(QStringLiteral("%1: %2 (%3)").arg(path_, unopened.message, cause->message),
                   errorKind(unopened));
        return ExitFailed;
    }
    if (!ArchiveRules::archiveKind(path_)) {
        const Error notArchive = archiveError(ArchiveErrorCode::NotAnArchive, path_);
        printError(notArchive.message, errorKind(notArchive));
        return ExitFailed;
    }
    if (session_.open(encoding_) && !extractInto.isNull())
        session_.reader()->extractWhileListing(extractInto);
    ArchiveSession::ListingOutcome outcome;
    if (const auto stopped = runCancellable([&] { outcome = session_.list(); }))
        return stopped;
    if (outcome.promptCancelled || (!outcome.proceed && session_.reader()->hasEncryptedNames())) {
        const bool gave = prompt_.gavePassword();
        printError(QStringLiteral("%1: %2").arg(
                       path_, gave ? QCoreApplication::translate("Cli", "wrong password")
                                   : QCoreApplication::translate("Cli", "a password is needed")),
                   gave ? QStringLiteral("wrong-password") : QStringLiteral("missing-password"));
        return ExitPassword;
    }
    return std::nullopt;
}

std::optional<CliExit> OpenedArchive::checkPassword() {
    if (session_.checkPassword())
        return std::nullopt;
    printError(QCoreApplication::translate("Cli", "%1: a password is needed").arg(path_),
               QStringLiteral("missing-password"));
    return ExitPassword;
}

CliExit OpenedArchive::exitForError(const Error &error) const {
    if (error.code == int(ArchiveErrorCode::Cancelled))
        return interruptionExit().value_or(ExitInterrupted);
    if (error.code == int(ArchiveErrorCode::WrongPassword) ||
        error.code == int(ArchiveErrorCode::MissingPassword))
        return ExitPassword;
    const bool passwordProblem =
        session_.needsPassword() && (error.code == int(ArchiveErrorCode::Archive) ||
                                     error.code == int(ArchiveErrorCode::FailedToCreateFile));
    return passwordProblem ? ExitPassword : ExitFailed;
}

QString OpenedArchive::nameEncoding() const {
    const auto kind = ArchiveRules::archiveKind(path_);
    // Only zip and RAR store names in legacy code pages that Kist decodes.
    if (!session_.reader() || !kind || (*kind != ArchiveKind::Zip && *kind != ArchiveKind::Rar))
        return QString();
    const StringEncoding used =
        encoding_ != kAutomaticEncoding ? encoding_ : session_.reader()->encoding();
    return StringEncodings::ianaName(used).value_or(QString());
}
