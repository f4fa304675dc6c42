#include "document/CompressionJob.h"

#include "archive/ReaderBase.h"
#include "util/Cancellation.h"
#include "util/FileUtil.h"
#include "util/FreePlacement.h"
#include "util/TreeCountScan.h"
#include "zip/ZipWriter.h"

CompressionJob::CompressionJob(const QStringList &paths, const QString &destination,
                               const QString &zipFileName, const ScanOptions &options)
    : paths(paths)
    , destination(destination)
    , zipFileName(zipFileName)
    , options(options) {
}

quint64 CompressionJob::computeFileSize() const {
    TreeCountScan scanner(paths);
    scanner.setIsContainsSelf(false);
    scanner.setPropertyOptions(options);
    scanner.execute();
    return scanner.totalSize();
}

CompressionJob::Outcome CompressionJob::run(ProgressReceiver *delegate) {
    Outcome outcome;
    const QString scratch = ReaderBase::tempItemDirectory();
    const QString temporary = scratch + QLatin1Char('/') + zipFileName + QStringLiteral(".zip");
    QString message;
    const bool written =
        !isCurrentThreadCancelled() &&
        ZipWriter::zipFilesRelativeToParent(paths, delegate, temporary, options, &message);
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
    FileUtil::removeItem(scratch);
    return outcome;
}
