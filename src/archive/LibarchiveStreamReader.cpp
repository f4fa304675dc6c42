#include "archive/LibarchiveStreamReader.h"

#include "util/Cancellation.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

constexpr size_t kReadSize = 65536;

struct ArchiveFree {
    void operator()(archive *handle) const { archive_read_free(handle); }
};

// libarchive fails a stream that ends early and a damaged one alike (ARCHIVE_FATAL,
// ARCHIVE_ERRNO_MISC); only its message tells the first apart: "truncated ... input" from its
// own filters, liblzma's "No progress is possible" from the xz, lzma and lzip ones.
bool endsEarly(archive *handle) {
    const QString message = QString::fromUtf8(archive_error_string(handle));
    return message.contains(QLatin1String("truncated"), Qt::CaseInsensitive) ||
           message.contains(QLatin1String("No progress is possible"));
}

} // namespace

void LibarchiveStreamReader::recordFailure(archive *input) {
    if (endsEarly(input))
        errorCutShort();
    else
        errorArchive();
}

bool LibarchiveStreamReader::decompress(QFile &output) {
    std::unique_ptr<archive, ArchiveFree> handle(archive_read_new());
    archive *input = handle.get();
    archive_read_support_filter_xz(input);
    archive_read_support_filter_lzma(input);
    archive_read_support_filter_lzip(input);
    archive_read_support_filter_zstd(input);
    archive_read_support_filter_lz4(input);
    archive_read_support_filter_compress(input);
    archive_read_support_format_raw(input);
    if (archive_read_open_filename(input, QFile::encodeName(filePath()).constData(), kReadSize) !=
        ARCHIVE_OK) {
        if (QFile::exists(filePath()))
            recordFailure(input);
        else
            errorFailedOpenFile();
        return false;
    }
    archive_entry *entry = nullptr;
    // Opening and the raw format's entry read ahead: a short stream may already fail there.
    if (archive_read_next_header(input, &entry) != ARCHIVE_OK) {
        recordFailure(input);
        return false;
    }
    // Without a filter that knows the data, the raw format would hand it out unchanged.
    if (archive_filter_code(input, 0) == ARCHIVE_FILTER_NONE) {
        errorArchive();
        return false;
    }
    QByteArray buffer(qsizetype(kReadSize), Qt::Uninitialized);
    for (;;) {
        if (isCurrentThreadCancelled()) {
            setCancelled();
            return false;
        }
        const la_ssize_t got = archive_read_data(input, buffer.data(), kReadSize);
        if (got == 0)
            return true;
        if (got < 0) {
            recordFailure(input);
            return false;
        }
        // The bytes read from the file, the last of the filter chain.
        const auto position = quint64(qMax<la_int64_t>(archive_filter_bytes(input, -1), 0));
        if (!writeDecompressed(output, buffer.constData(), got, position))
            return false;
    }
}
