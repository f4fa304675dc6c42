#pragma once

#include "util/Error.h"
#include "util/ScanOptions.h"
#include "zip/LibarchiveWriter.h"
#include "zip/WriteFormats.h"

#include <QString>
#include <QStringList>

#include <optional>

class ProgressReceiver;

// Writing gathered items into a new archive of one of the writable formats: every item at the
// top of the archive, written to a temporary file first and moved to the first free name
// ("Photos.zip", "Photos 2.zip", "Photos 2.tar.gz", ...) in the target folder, so a failed or
// cancelled write leaves nothing there. run() works on the calling thread (a worker) and stops at
// its cancel mark.
class CompressionJob {
public:
    struct Outcome {
        QString placedPath; // the new archive; null when none was made
        std::optional<Error> error;
        bool cancelled = false;
        // Items that could not be read, left out of a written archive ("name/" for folders).
        QStringList leftOut;
    };

    // The archive is named archiveName, which keeps an extension of the format it ends in
    // ("x.tgz" for tar.gz) and otherwise gets the format's extension added.
    CompressionJob(const QStringList &paths, const QString &destination, const QString &archiveName,
                   const ScanOptions &options, WriteFormat format = WriteFormat::Zip);

    // The bytes the items hold, as the progress bar's total; hidden items inside folders are left
    // out when the options say so. run() passes it, and the number of items, on to the compressor.
    quint64 computeFileSize();
    Outcome run(ProgressReceiver *delegate);

private:
    QStringList paths_;
    QString destination_;
    QString archiveName_;
    ScanOptions options_;
    WriteFormat format_;
    ExpectedContent expected_;
};
