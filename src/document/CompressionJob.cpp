#include "document/CompressionJob.h"

#include "util/Cancellation.h"
#include "util/FileOps.h"
#include "util/FreePlacement.h"
#include "util/Localization.h"
#include "util/StringUtil.h"
#include "util/TreeCountScan.h"
#include "zip/ZipWriter.h"

CompressionJob::CompressionJob(const QStringList &paths, const QString &destination,
                               const QString &zipFileName, const ScanOptions &options)
    : paths_(paths)
    , destination_(destination)
    , zipFileName_(zipFileName)
    , options_(options) {
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
    // place without replacing anything: no copy, and no free space needed in /tmp.
    const QString temporary =
        destination_ + QStringLiteral("/.") + StringUtil::newUuid() + QStringLiteral(".zip");
    QString message;
    const bool written = !isCurrentThreadCancelled() &&
                         ZipWriter::zipFilesRelativeToParent(paths_, delegate, temporary, options_,
                                                             &message, &outcome.leftOut);
    outcome.cancelled = isCurrentThreadCancelled();
    if (written && !outcome.cancelled) {
        outcome.placedPath = FreePlacement::moveToFreeFileName(temporary, destination_,
                                                               zipFileName_, QStringLiteral("zip"));
        if (outcome.placedPath.isNull())
            message = Engine::tr("%1: cannot write into this folder").arg(destination_);
    }
    if (!outcome.cancelled && outcome.placedPath.isNull())
        outcome.error = Error{QStringLiteral("ZipErrorDomain"), 1, message};
    if (outcome.placedPath.isNull())
        FileOps::removeItem(temporary);
    return outcome;
}
