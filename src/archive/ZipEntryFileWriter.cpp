#include "archive/ZipEntryFileWriter.h"

#include "archive/ZipEntryInfo.h"
#include "archive/ZipEntryStream.h"
#include "util/ProgressSteps.h"

namespace {

// Large reads let inflate fill whole pages and keep the write calls few.
constexpr std::size_t kBufferSize = std::size_t{256} * 1024;

} // namespace

ZipEntryFileWriter::ZipEntryFileWriter(std::function<bool()> isCancelled,
                                       std::function<void(quint64)> progress, bool restoresDates)
    : isCancelled_(std::move(isCancelled))
    , progress_(std::move(progress))
    , restoresDates_(restoresDates)
    , buffer_(kBufferSize) {
}

ZipEntryFileWriter::Result ZipEntryFileWriter::write(ZipEntryStream &stream,
                                                     const QString &destination,
                                                     const QString &fullPath,
                                                     const ZipEntryInfo &info) {
    if (!output_.create(destination, fullPath)) {
        stream.finishData();
        return Result::Failed;
    }
    quint64 written = 0;
    const Result result = copy(stream, written);
    const bool checked = stream.finishData();
    // A cancelled file stays as it is; whoever cancelled removes the staging folder.
    if (result == Result::Cancelled) {
        output_.close();
        return result;
    }
    if (result == Result::Failed || !checked || written != info.uncompressedSize) {
        // Damaged data or a wrong password: no file may pass for a good one.
        output_.discard();
        return Result::Failed;
    }
    const auto date = restoresDates_ ? info.date() : std::nullopt;
    return output_.finish(info.unixMode() & 07777, date) ? Result::Written : Result::Failed;
}

ZipEntryFileWriter::Result ZipEntryFileWriter::copy(ZipEntryStream &stream, quint64 &written) {
    for (;;) {
        if (isCancelled_())
            return Result::Cancelled;
        const qint64 count = stream.readData(buffer_.data(), qint64(buffer_.size()));
        if (count == 0)
            return Result::Written;
        if (count < 0 || !output_.write(buffer_.data(), count))
            return Result::Failed;
        written += quint64(count);
        reportInSteps(quint64(count), kProgressStep, progress_);
    }
}
