#include "cli/Commands.h"

#include "archive/ArchiveEntry.h"
#include "cli/CancellableRun.h"
#include "cli/EntryListing.h"
#include "cli/OpenedArchive.h"
#include "document/ArchiveRules.h"
#include "document/CompressionJob.h"
#include "document/ExtractionJob.h"
#include "util/DateUtil.h"
#include "util/FileAttributes.h"
#include "util/FileKinds.h"
#include "util/FileOps.h"
#include "util/PathUtil.h"
#include "util/TempFolders.h"
#include "zip/WriteFormats.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

#include <cstdio>

namespace {

// How much of a plain listing is gathered before it is written.
constexpr qsizetype kPrintBlock = 64 * 1024;

// Parses the command's arguments; answers an exit code when the command must stop here
// (--help, a usage error).
std::optional<int> parse(QCommandLineParser &parser, const QStringList &arguments,
                         const QString &syntax, qsizetype minimumPositionals) {
    parser.setApplicationDescription(syntax);
    parser.addHelpOption();
    parser.addOption(
        {QStringLiteral("json"),
         QCoreApplication::translate("Cli", "Print errors (and list's listing) as JSON.")});
    if (!parser.parse(arguments)) {
        printError(parser.errorText(), QStringLiteral("usage"));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return ExitOk;
    }
    if (parser.positionalArguments().size() < minimumPositionals) {
        printError(QCoreApplication::translate("Cli", "usage: %1").arg(syntax),
                   QStringLiteral("usage"));
        return ExitUsage;
    }
    return std::nullopt;
}

void print(const QString &text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
}

QJsonValue errorJson(const std::optional<Error> &error) {
    if (!error)
        return QJsonValue(QJsonValue::Null);
    return QJsonObject{{QStringLiteral("code"), error->code},
                       {QStringLiteral("kind"), errorKind(*error)},
                       {QStringLiteral("message"), error->message}};
}

// The object's members in QJsonDocument's indented form, without the braces around them and
// without the line break after the last.
QByteArray objectMembers(const QJsonObject &object) {
    QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    text = text.mid(text.indexOf('\n') + 1);
    text.chop(text.size() - text.lastIndexOf('\n', text.size() - 2));
    return text;
}

// A reader error worth reporting: anything but none.
std::optional<Error> readerError(OpenedArchive &archive) {
    return archive.session().reader() ? archive.session().reader()->archiveError() : std::nullopt;
}

} // namespace

int runList(const QStringList &arguments) {
    QCommandLineParser parser;
    addArchiveOptions(parser);
    parser.addPositionalArgument(QStringLiteral("ARCHIVE"),
                                 QCoreApplication::translate("Cli", "The archive to list."));
    if (auto stop = parse(
            parser, arguments,
            QStringLiteral("kist-cli list [--json] [--password P] [--encoding NAME] ARCHIVE"), 1))
        return *stop;
    OpenedArchive archive(parser, parser.positionalArguments().first());
    if (auto failed = archive.list())
        return *failed;
    const ArchiveEntry &root = *archive.session().rootEntry();
    const std::optional<Error> error = readerError(archive);
    if (parser.isSet(QStringLiteral("json"))) {
        // Written entry by entry, in the layout of QJsonDocument's indented form: a listing of a
        // million entries never exists whole as JSON.
        const QString encoding = archive.nameEncoding();
        const QJsonObject head{
            {QStringLiteral("archive"), archive.path()},
            {QStringLiteral("encoding"),
             encoding.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(encoding)},
        };
        const QJsonObject tail{
            {QStringLiteral("error"), errorJson(error)},
            {QStringLiteral("format"),
             FileKinds::kindName(*ArchiveRules::archiveKind(archive.path()))},
        };
        std::fputs("{\n", stdout);
        std::fputs(objectMembers(head).constData(), stdout);
        std::fputs(",\n    \"entries\": [", stdout);
        const char *separator = "\n";
        EntryListing::forEachInTreeOrder(root, [&](const ArchiveEntry &entry, const QString &path) {
            std::fputs(separator, stdout);
            std::fputs(EntryListing::toJson(entry, path, 8).constData(), stdout);
            separator = ",\n";
        });
        std::fputs("\n    ],\n", stdout);
        std::fputs(objectMembers(tail).constData(), stdout);
        std::fputs("\n}\n", stdout);
    } else {
        DateUtil::readLocalZone();
        // One buffer for all lines: strings made per line cost more than the listing itself.
        QByteArray lines;
        EntryListing::forEachInTreeOrder(root, [&](const ArchiveEntry &entry, const QString &path) {
            EntryListing::appendLine(lines, entry, path);
            if (lines.size() >= kPrintBlock) {
                std::fwrite(lines.constData(), 1, size_t(lines.size()), stdout);
                lines.clear();
            }
        });
        std::fwrite(lines.constData(), 1, size_t(lines.size()), stdout);
        if (error)
            printError(QStringLiteral("%1: %2").arg(archive.path(), error->message),
                       errorKind(*error));
    }
    return error ? archive.exitForError(*error) : ExitOk;
}

int runExtract(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.addOption(
        {{QStringLiteral("o"), QStringLiteral("output")},
         QCoreApplication::translate(
             "Cli", "Folder that receives the result (default: the archive's folder)."),
         QStringLiteral("DIR")});
    addArchiveOptions(parser);
    parser.addPositionalArgument(QStringLiteral("ARCHIVE"),
                                 QCoreApplication::translate("Cli", "The archive to extract."));
    parser.addPositionalArgument(
        QStringLiteral("ENTRY"),
        QCoreApplication::translate("Cli",
                                    "Entries to extract, as list prints them (default: all)."),
        QStringLiteral("[ENTRY...]"));
    if (auto stop = parse(
            parser, arguments,
            QStringLiteral(
                "kist-cli extract [-o DIR] [--password P] [--encoding NAME] ARCHIVE [ENTRY...]"),
            1))
        return *stop;
    QStringList positionals = parser.positionalArguments();
    OpenedArchive archive(parser, positionals.takeFirst());
    const QString target =
        parser.isSet(QStringLiteral("output"))
            ? QFileInfo(parser.value(QStringLiteral("output"))).absoluteFilePath()
            : PathUtil::parentFolder(archive.path());
    // The whole archive into a folder that exists: its staging folder is made before the
    // listing, which may extract into it already. It goes on every way out but the placement.
    QString staging;
    if (positionals.isEmpty() && QFileInfo(target).isDir())
        staging = ExtractionJob::resetDestination(target);
    const auto removeStaging = qScopeGuard([&staging] {
        if (!staging.isNull())
            FileOps::removeItem(staging);
    });
    if (auto failed = archive.list(staging))
        return *failed;
    ArchiveSession &session = archive.session();
    // An archive cut short still extracts what came before the cut, then reports it.
    if (const auto error = readerError(archive); error && !session.reader()->keepsWhatWasRead()) {
        printError(QStringLiteral("%1: %2").arg(archive.path(), error->message), errorKind(*error));
        return archive.exitForError(*error);
    }
    QList<ArchiveEntry *> selection;
    for (const QString &path : positionals) {
        ArchiveEntry *entry = EntryListing::find(*session.rootEntry(), path);
        if (!entry) {
            printError(
                QCoreApplication::translate("Cli", "%1: no entry %2").arg(archive.path(), path));
            return ExitFailed;
        }
        selection.append(entry);
    }
    if (auto failed = archive.checkPassword())
        return *failed;

    if (staging.isNull()) {
        // A named output folder that does not exist yet is made.
        QDir().mkpath(target);
        staging = ExtractionJob::resetDestination(target);
    }
    if (staging.isNull()) {
        printError(
            QCoreApplication::translate("Cli", "%1: cannot write into this folder").arg(target));
        return ExitFailed;
    }
    ExtractionJob job(*session.reader(), *session.rootEntry(), archive.path(), selection);
    archive.progress().setTotalSize(job.totalSize());
    ExtractionJob::Outcome outcome;
    const auto stopped = runCancellable([&] { outcome = job.run(staging, session.password()); });
    archive.progress().finish();
    if (stopped || outcome.cancelled)
        return stopped.value_or(ExitInterrupted);
    if (outcome.error) {
        printError(QStringLiteral("%1: %2").arg(archive.path(), outcome.error->message),
                   errorKind(*outcome.error));
        return archive.exitForError(*outcome.error);
    }
    if (outcome.placedPath.isNull()) {
        printError(QCoreApplication::translate("Cli", "%1: the archive holds nothing to extract")
                       .arg(archive.path()));
        return ExitOk;
    }
    print(outcome.placedPath);
    for (const ArchiveWarning &warning : outcome.warnings)
        std::fprintf(
            stderr, "kist-cli: %s\n",
            qPrintable(QCoreApplication::translate("Cli", "warning: %1").arg(warning.message())));
    return ExitOk;
}

int runTest(const QStringList &arguments) {
    QCommandLineParser parser;
    addArchiveOptions(parser);
    parser.addPositionalArgument(QStringLiteral("ARCHIVE"),
                                 QCoreApplication::translate("Cli", "The archive to test."));
    if (auto stop =
            parse(parser, arguments, QStringLiteral("kist-cli test [--password P] ARCHIVE"), 1))
        return *stop;
    OpenedArchive archive(parser, parser.positionalArguments().first());
    // Everything is written once: on disk, not in a small /tmp; a reader may do so while listing.
    const QString scratch = TempFolders::newLargeItemFolder();
    const auto removeScratch = qScopeGuard([&scratch] { FileOps::removeItem(scratch); });
    if (auto failed = archive.list(scratch))
        return *failed;
    ArchiveSession &session = archive.session();
    std::optional<Error> error = readerError(archive);
    if (!error) {
        if (auto failed = archive.checkPassword())
            return *failed;
        archive.progress().setTotalSize(session.rootEntry()->totalSize());
        const auto stopped = runCancellable([&] {
            if (!session.password().isEmpty())
                session.reader()->setPassword(session.password());
            session.reader()->extract(nullptr, scratch);
        });
        archive.progress().finish();
        error = session.reader()->archiveError();
        if (stopped)
            return *stopped;
    }
    if (error) {
        printError(QStringLiteral("%1: %2").arg(archive.path(), error->message), errorKind(*error));
        return archive.exitForError(*error);
    }
    print(QStringLiteral("OK"));
    return ExitOk;
}

int runCreate(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.addOption(
        {{QStringLiteral("o"), QStringLiteral("output")},
         QCoreApplication::translate(
             "Cli", "Folder that receives the archive (default: the first item's folder)."),
         QStringLiteral("DIR")});
    parser.addOption(
        {QStringLiteral("name"),
         QCoreApplication::translate(
             "Cli", "Name of the archive, its extension optional (default: the first item's "
                    "name). Without --format, a writable format's extension chooses it."),
         QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("format"),
                      QCoreApplication::translate("Cli", "The archive's format: %1 (default: zip).")
                          .arg(WriteFormats::nameList()),
                      QStringLiteral("FORMAT")});
    parser.addOption(
        {QStringLiteral("ignore-hidden"),
         QCoreApplication::translate("Cli", "Leave out hidden items inside folders.")});
    parser.addPositionalArgument(
        QStringLiteral("PATH"),
        QCoreApplication::translate("Cli", "Files and folders to put in the archive."),
        QStringLiteral("PATH..."));
    if (auto stop = parse(parser, arguments,
                          QStringLiteral("kist-cli create [-o DIR] [--name NAME] [--format FORMAT] "
                                         "[--ignore-hidden] PATH..."),
                          1))
        return *stop;
    std::optional<WriteFormat> format;
    if (parser.isSet(QStringLiteral("format"))) {
        format = WriteFormats::fromName(parser.value(QStringLiteral("format")));
        if (!format) {
            printError(QCoreApplication::translate("Cli", "--format: \"%1\" is none of %2")
                           .arg(parser.value(QStringLiteral("format")), WriteFormats::nameList()),
                       QStringLiteral("usage"));
            return ExitUsage;
        }
    }
    QStringList paths;
    for (const QString &path : parser.positionalArguments()) {
        const QFileInfo item(path);
        if (!item.exists() && !item.isSymLink()) {
            // "create x.tar.gz folder" names the archive the way tar does: say how it is named
            // here.
            const bool namesArchive = paths.isEmpty() && WriteFormats::fromFileName(path);
            printError(
                namesArchive
                    ? QCoreApplication::translate(
                          "Cli", "%1: no such file or folder (to name the archive, use "
                                 "--name %1)")
                          .arg(path)
                    : QCoreApplication::translate("Cli", "%1: no such file or folder").arg(path));
            return ExitFailed;
        }
        paths.append(item.absoluteFilePath());
    }
    const QString destination =
        parser.isSet(QStringLiteral("output"))
            ? QFileInfo(parser.value(QStringLiteral("output"))).absoluteFilePath()
            : PathUtil::parentFolder(paths.first());
    QString name = ArchiveRules::zipFileName(paths.first());
    if (parser.isSet(QStringLiteral("name"))) {
        name = parser.value(QStringLiteral("name"));
        // "x.tar.gz" makes a tar.gz named x.tar.gz, never a zip named x.tar.gz.zip.
        if (!format)
            format = WriteFormats::fromFileName(name);
    }
    // The archive lands in the output folder under a plain name, nowhere else.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        printError(
            QCoreApplication::translate("Cli", "--name: \"%1\" is not a file name").arg(name),
            QStringLiteral("usage"));
        return ExitUsage;
    }
    QDir().mkpath(destination);
    if (!FileAttributes::isWritable(destination)) {
        printError(QCoreApplication::translate("Cli", "%1: cannot write into this folder")
                       .arg(destination));
        return ExitFailed;
    }
    CompressionJob job(paths, destination, name,
                       ScanOptions::instance(parser.isSet(QStringLiteral("ignore-hidden"))),
                       format.value_or(WriteFormat::Zip));
    CliProgress progress;
    CompressionJob::Outcome outcome;
    const auto stopped = runCancellable([&] {
        progress.setTotalSize(job.computeFileSize());
        outcome = job.run(&progress);
    });
    progress.finish();
    if (stopped || outcome.cancelled)
        return stopped.value_or(ExitInterrupted);
    if (outcome.error) {
        printError(outcome.error->message, errorKind(*outcome.error));
        return ExitFailed;
    }
    if (!outcome.leftOut.isEmpty()) {
        print(outcome.placedPath);
        printError(QCoreApplication::translate("Cli", "%1: left out, cannot be read: %2")
                       .arg(outcome.placedPath, outcome.leftOut.join(QStringLiteral(", "))),
                   QStringLiteral("permission-denied"));
        return ExitFailed;
    }
    print(outcome.placedPath);
    return ExitOk;
}
