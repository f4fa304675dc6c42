#include "archive/ZipEntryFileWriter.h"

#include "archive/ZipEntryInfo.h"
#include "archive/ZipEntryStream.h"
#include "util/ProgressSteps.h"

namespace {

// Large reads let inflate fill whole pages and keep the write calls few.
constexpr std::size_t kBufferSize = 256 * 1024;

} // namespace

ZipEntryFileWriter::ZipEntryFileWriter(std::function<bool()> isCancelled,
                                       std::function<void(quint64)> progress, bool restoresDates)
    : isCancelled(std::move(isCancelled))
    , progress(std::move(progress))
    , restoresDates(restoresDates)
    , buffer(kBufferSize) {
}

ZipEntryFileWriter::Result ZipEntryFileWriter::write(ZipEntryStream &stream,
                                                     const QString &destination,
                                                     const QString &fullPath,
                                                     const ZipEntryInfo &info) {
    if (!output.create(destination, fullPath)) {
        stream.finishData();
        return Result::Failed;
    }
    quint64 written = 0;
    const Result result = copy(stream, written);
    const bool checked = stream.finishData();
    // A cancelled file stays as it is; whoever cancelled removes the staging folder.
    if (result == Result::Cancelled) {
        output.close();
        return result;
    }
    if (result == Result::Failed || !checked || written != info.uncompressedSize) {
        // Damaged data or a wrong password: no file may pass for a good one.
        output.discard();
        return Result::Failed;
    }
    const auto date = restoresDates ? info.date() : std::nullopt;
    return output.finish(info.unixMode() & 07777, date) ? Result::Written : Result::Failed;
}

ZipEntryFileWriter::Result ZipEntryFileWriter::copy(ZipEntryStream &stream, quint64 &written) {
    for (;;) {
        if (isCancelled())
            return Result::Cancelled;
        const qint64 count = stream.readData(buffer.data(), qint64(buffer.size()));
        if (count == 0)
            return Result::Written;
        if (count < 0 || !output.write(buffer.data(), count))
            return Result::Failed;
        written += quint64(count);
        reportInSteps(quint64(count), kProgressStep, progress);
    }
}
