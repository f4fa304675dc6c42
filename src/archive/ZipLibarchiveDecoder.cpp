#include "archive/ZipLibarchiveDecoder.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cstring>

namespace {

constexpr size_t kReadBlockSize = 65536;

quint32 crcOf(const QByteArray &bytes) {
    return quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(bytes.constData()),
                         uInt(bytes.size())));
}

} // namespace

ZipLibarchiveDecoder::ZipLibarchiveDecoder(const QString &archivePath, const QString &password)
    : archivePath_(archivePath)
    , password_(password.toUtf8()) {
}

ZipLibarchiveDecoder::~ZipLibarchiveDecoder() {
    release();
}

void ZipLibarchiveDecoder::release() {
    if (reader_)
        archive_read_free(reader_);
    reader_ = nullptr;
    nextIndex_ = 0;
}

void ZipLibarchiveDecoder::fail() {
    broken_ = true;
}

bool ZipLibarchiveDecoder::reopen() {
    release();
    broken_ = false;
    reader_ = archive_read_new();
    if (!reader_)
        return false;
    archive_read_support_format_zip_seekable(reader_);
    // Resource forks under __MACOSX/ stay entries of their own, so indexes keep matching.
    archive_read_set_format_option(reader_, "zip", "mac-ext", nullptr);
    if (!password_.isEmpty())
        archive_read_add_passphrase(reader_, password_.constData());
    if (archive_read_open_filename(reader_, QFile::encodeName(archivePath_).constData(),
                                   kReadBlockSize) != ARCHIVE_OK) {
        fail();
        return false;
    }
    return true;
}

bool ZipLibarchiveDecoder::skipTo(quint64 index) {
    if ((broken_ || !reader_ || index < nextIndex_) && !reopen())
        return false;
    for (;;) {
        struct archive_entry *entry = nullptr;
        const int status = archive_read_next_header(reader_, &entry);
        if (status == ARCHIVE_EOF || status == ARCHIVE_FATAL) {
            fail();
            return false;
        }
        if (nextIndex_++ != index)
            continue;
        current_ = entry;
        // A header libarchive could not take (an encrypted link, say) spoils this entry only.
        dataFailed_ = status == ARCHIVE_FAILED;
        return true;
    }
}

bool ZipLibarchiveDecoder::openEntry(const Expected &expected) {
    isLink_ = false;
    linkTarget_.clear();
    linkOffset_ = 0;
    reachedEnd_ = false;
    dataFailed_ = false;
    if (!skipTo(expected.index))
        return false;
    if (dataFailed_)
        return true;
    if (archive_entry_filetype(current_) == AE_IFLNK) {
        takeLinkTarget(expected);
        return true;
    }
    if (archive_entry_size_is_set(current_) &&
        quint64(archive_entry_size(current_)) != expected.size)
        return false;
    return true;
}

void ZipLibarchiveDecoder::takeLinkTarget(const Expected &expected) {
    isLink_ = true;
    const char *target = archive_entry_symlink(current_);
    linkTarget_ = target ? QByteArray(target) : QByteArray();
    // libarchive takes a link's target before any decryption; only a target that matches the
    // stored CRC is the real one.
    if (linkTarget_.isEmpty() || crcOf(linkTarget_) != expected.crc)
        dataFailed_ = true;
}

qint64 ZipLibarchiveDecoder::readData(char *buffer, qint64 capacity) {
    if (dataFailed_)
        return -1;
    if (isLink_) {
        const qint64 count = qMin<qint64>(capacity, linkTarget_.size() - linkOffset_);
        std::memcpy(buffer, linkTarget_.constData() + linkOffset_, size_t(count));
        linkOffset_ += count;
        reachedEnd_ = count == 0;
        return count;
    }
    const la_ssize_t count = archive_read_data(reader_, buffer, size_t(capacity));
    if (count < 0) {
        // A bad CRC or authentication code comes as a warning: the data is not good all the same.
        dataFailed_ = true;
        broken_ = count == ARCHIVE_FATAL;
        return -1;
    }
    reachedEnd_ = count == 0;
    return count;
}

bool ZipLibarchiveDecoder::finishData() {
    return reachedEnd_ && !dataFailed_;
}
