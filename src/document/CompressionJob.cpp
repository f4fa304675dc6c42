#include "document/CompressionJob.h"

#include "archive/Utf8CtypeScope.h"
#include "util/Cancellation.h"
#include "util/FileOps.h"
#include "util/FreePlacement.h"
#include "util/Localization.h"
#include "util/StringUtil.h"
#include "util/TreeCountScan.h"
#include "zip/LibarchiveWriter.h"
#include "zip/ZipWriter.h"

CompressionJob::CompressionJob(const QStringList &paths, const QString &destination,
                               const QString &archiveName, const ScanOptions &options,
                               WriteFormat format)
    : paths_(paths)
    , destination_(destination)
    , archiveName_(archiveName)
    , options_(options)
    , format_(format) {
}

quint64 CompressionJob::computeFileSize() const {
    TreeCountScan scanner(paths_);
    scanner.setIsContainsSelf(false);
    scanner.setPropertyOptions(options_);
    scanner.execute();
    return scanner.totalSize();
}

CompressionJob::Outcome CompressionJob::run(ProgressReceiver *delegate) {
    Outcome outcome;
    // Written as a hidden file beside the target, on the same file system, then renamed into
    // place without replacing anything: no copy, and no free space needed in /tmp (but for the
    // packed data of a 7z, which libarchive keeps there until it closes the archive).
    const QString temporary = destination_ + QStringLiteral("/.") + StringUtil::newUuid() +
                              QLatin1Char('.') + WriteFormats::extension(format_);
    QString message;
    // libarchive converts names in the thread's character type; Qt's file names are UTF-8 even
    // under the C locale.
    const Utf8CtypeScope utf8;
    const bool written =
        !isCurrentThreadCancelled() &&
        (format_ == WriteFormat::Zip
             ? ZipWriter::zipFilesRelativeToParent(paths_, delegate, temporary, options_, &message,
                                                   &outcome.leftOut)
             : LibarchiveWriter::writeFilesRelativeToParent(format_, paths_, delegate, temporary,
                                                            options_, &message, &outcome.leftOut));
    outcome.cancelled = isCurrentThreadCancelled();
    if (written && !outcome.cancelled) {
        // The extension stays out of the free name's numbering: "x 2.tgz", not "x.tgz 2.tar.gz".
        const QString typed = WriteFormats::extensionIn(archiveName_, format_);
        outcome.placedPath =
            typed.isEmpty()
                ? FreePlacement::moveToFreeFileName(temporary, destination_, archiveName_,
                                                    WriteFormats::extension(format_))
                : FreePlacement::moveToFreeFileName(temporary, destination_,
                                                    archiveName_.chopped(typed.size() + 1), typed);
        if (outcome.placedPath.isNull())
            message = Engine::tr("%1: cannot write into this folder").arg(destination_);
    }
    if (!outcome.cancelled && outcome.placedPath.isNull())
        outcome.error = Error{QStringLiteral("ZipErrorDomain"), 1, message};
    if (outcome.placedPath.isNull())
        FileOps::removeItem(temporary);
    return outcome;
}
