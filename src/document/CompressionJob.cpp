#include "document/CompressionJob.h"

#include "archive/ArchiveError.h"
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

quint64 CompressionJob::computeFileSize() {
    TreeCountScan scanner(paths_);
    scanner.setIsContainsSelf(false);
    scanner.setPropertyOptions(options_);
    scanner.execute();
    expected_ = {scanner.totalSize(), scanner.fileNumber() + scanner.folderNumber()};
    return expected_.bytes;
}

CompressionJob::Outcome CompressionJob::run(ProgressReceiver *delegate) {
    Outcome outcome;
    // Written as a hidden file beside the target, on the same file system, then renamed into
    // place without replacing anything: no copy, and no free space needed in /tmp (but for the
    // packed data of a 7z, which libarchive keeps there until it closes the archive).
    const QString temporary = destination_ + QStringLiteral("/.") + StringUtil::newUuid() +
                              QLatin1Char('.') + WriteFormats::extension(format_);
    WriteFailure failure;
    // libarchive converts names in the thread's character type; Qt's file names are UTF-8 even
    // under the C locale.
    const Utf8CtypeScope utf8;
    const bool written =
        !isCurrentThreadCancelled() &&
        (format_ == WriteFormat::Zip
             ? ZipWriter::zipFilesRelativeToParent(paths_, delegate, temporary, options_, &failure,
                                                   &outcome.leftOut)
             : LibarchiveWriter::writeFilesRelativeToParent(format_, paths_, delegate, temporary,
                                                            options_, &failure, &outcome.leftOut,
                                                            expected_));
    outcome.cancelled = isCurrentThreadCancelled();
    // The extension stays out of the free name's numbering: "x 2.tgz", not "x.tgz 2.tar.gz".
    const QString typed = WriteFormats::extensionIn(archiveName_, format_);
    const QString baseName =
        typed.isEmpty() ? archiveName_ : archiveName_.chopped(typed.size() + 1);
    const QString extension = typed.isEmpty() ? WriteFormats::extension(format_) : typed;
    if (written && !outcome.cancelled) {
        outcome.placedPath =
            FreePlacement::moveToFreeFileName(temporary, destination_, baseName, extension);
        if (outcome.placedPath.isNull())
            failure.message = Engine::tr("%1: cannot write into this folder").arg(destination_);
    }
    if (!outcome.cancelled && outcome.placedPath.isNull())
        outcome.error =
            failure.outOfSpace
                ? archiveError(ArchiveErrorCode::DiskFull, baseName + QLatin1Char('.') + extension)
                : Error{QStringLiteral("ZipErrorDomain"), 1, failure.message};
    if (outcome.placedPath.isNull())
        FileOps::removeItem(temporary);
    return outcome;
}
