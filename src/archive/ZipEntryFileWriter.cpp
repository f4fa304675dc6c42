#include "archive/ZipEntryFileWriter.h"

#include "archive/ArchiveError.h"
#include "archive/SafePath.h"
#include "archive/ZipEntryInfo.h"
#include "archive/ZipEntryStream.h"
#include "util/ProgressSteps.h"

#include <cerrno>

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
    const QString name = SafePath::below(destination, fullPath);
    if (!output_.create(destination, fullPath)) {
        const Error error = writeError(errno, name);
        stream.finishData();
        return fail(error);
    }
    quint64 written = 0;
    const Copy copied = copy(stream, written);
    const int cause = errno;
    const bool checked = stream.finishData();
    // A cancelled file stays as it is; whoever cancelled removes the staging folder.
    if (copied == Copy::Cancelled) {
        output_.close();
        return Result::Cancelled;
    }
    if (copied != Copy::Done || !checked || written != info.uncompressedSize) {
        // Damaged data or a wrong password: no file may pass for a good one.
        output_.discard();
        if (copied == Copy::Unwritable)
            return fail(writeError(cause, name));
        return fail(archiveError(info.isEncrypted() ? ArchiveErrorCode::WrongPassword
                                                    : ArchiveErrorCode::Damaged,
                                 name));
    }
    const auto date = restoresDates_ ? info.date() : std::nullopt;
    if (!output_.finish(info.unixMode() & 07777, date))
        return fail(writeError(errno, name));
    return Result::Written;
}

ZipEntryFileWriter::Result ZipEntryFileWriter::fail(const Error &error) {
    lastError_ = error;
    return Result::Failed;
}

ZipEntryFileWriter::Copy ZipEntryFileWriter::copy(ZipEntryStream &stream, quint64 &written) {
    for (;;) {
        if (isCancelled_())
            return Copy::Cancelled;
        const qint64 count = stream.readData(buffer_.data(), qint64(buffer_.size()));
        if (count == 0)
            return Copy::Done;
        if (count < 0)
            return Copy::BadData;
        if (!output_.write(buffer_.data(), count))
            return Copy::Unwritable;
        written += quint64(count);
        reportInSteps(quint64(count), kProgressStep, progress_);
    }
}
