#include "document/CompressionJob.h"

#include "archive/ArchiveBase.h"
#include "util/Cancellation.h"
#include "util/FilePropertyFileNumAndSize.h"
#include "util/FileUtil.h"
#include "util/FreePlacement.h"
#include "zip/YZipFileArchive.h"

CompressionJob::CompressionJob(const QStringList &paths, const QString &destination,
                               const QString &zipFileName, const FilePropertyOptions &options)
    : paths(paths)
    , destination(destination)
    , zipFileName(zipFileName)
    , options(options) {
}

quint64 CompressionJob::computeFileSize() const {
    FilePropertyFileNumAndSize scanner(paths);
    scanner.setIsContainsSelf(false);
    scanner.setPropertyOptions(options);
    scanner.execute();
    return scanner.totalSize();
}

CompressionJob::Outcome CompressionJob::run(IActionProgress *delegate) {
    Outcome outcome;
    const QString scratch = ArchiveBase::tempItemDirectory();
    const QString temporary = scratch + QLatin1Char('/') + zipFileName + QStringLiteral(".zip");
    QString message;
    const bool written =
        !isCurrentThreadCancelled() &&
        YZipFileArchive::zipFilesWithParentRelative(paths, delegate, temporary, options, &message);
    outcome.cancelled = isCurrentThreadCancelled();
    if (written && !outcome.cancelled) {
        outcome.placedPath = FreePlacement::moveToFreeFileName(temporary, destination, zipFileName,
                                                               QStringLiteral("zip"));
        if (outcome.placedPath.isNull())
            message = QStringLiteral("%1: %2").arg(destination,
                                                   QStringLiteral("cannot write into this folder"));
    }
    if (!outcome.cancelled && outcome.placedPath.isNull())
        outcome.error = Error{QStringLiteral("ZipErrorDomain"), 1, message};
    FileUtil::deleteFile(scratch);
    return outcome;
}
