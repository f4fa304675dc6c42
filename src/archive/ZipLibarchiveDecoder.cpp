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
    : archivePath(archivePath)
    , password(password.toUtf8()) {
}

ZipLibarchiveDecoder::~ZipLibarchiveDecoder() {
    release();
}

void ZipLibarchiveDecoder::release() {
    if (reader)
        archive_read_free(reader);
    reader = nullptr;
    nextIndex = 0;
}

void ZipLibarchiveDecoder::fail() {
    const char *message = reader ? archive_error_string(reader) : nullptr;
    lastError = message ? QString::fromUtf8(message) : QStringLiteral("Cannot read the archive");
    broken = true;
}

bool ZipLibarchiveDecoder::reopen() {
    release();
    broken = false;
    reader = archive_read_new();
    if (!reader)
        return false;
    archive_read_support_format_zip_seekable(reader);
    // Resource forks under __MACOSX/ stay entries of their own, so indexes keep matching.
    archive_read_set_format_option(reader, "zip", "mac-ext", nullptr);
    if (!password.isEmpty())
        archive_read_add_passphrase(reader, password.constData());
    if (archive_read_open_filename(reader, QFile::encodeName(archivePath).constData(),
                                   kReadBlockSize) != ARCHIVE_OK) {
        fail();
        return false;
    }
    return true;
}

bool ZipLibarchiveDecoder::skipTo(quint64 index) {
    if ((broken || !reader || index < nextIndex) && !reopen())
        return false;
    for (;;) {
        struct archive_entry *entry = nullptr;
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF || status == ARCHIVE_FATAL) {
            fail();
            return false;
        }
        if (nextIndex++ != index)
            continue;
        current = entry;
        // A header libarchive could not take (an encrypted link, say) spoils this entry only.
        if (status == ARCHIVE_FAILED)
            lastError = QString::fromUtf8(archive_error_string(reader));
        dataFailed = status == ARCHIVE_FAILED;
        return true;
    }
}

bool ZipLibarchiveDecoder::openEntry(const Expected &expected) {
    isLink = false;
    linkTarget.clear();
    linkOffset = 0;
    reachedEnd = false;
    dataFailed = false;
    if (!skipTo(expected.index))
        return false;
    if (dataFailed)
        return true;
    if (archive_entry_filetype(current) == AE_IFLNK) {
        takeLinkTarget(expected);
        return true;
    }
    if (archive_entry_size_is_set(current) &&
        quint64(archive_entry_size(current)) != expected.size) {
        lastError = QStringLiteral("Entry %1 is not the one listed").arg(expected.index);
        return false;
    }
    return true;
}

void ZipLibarchiveDecoder::takeLinkTarget(const Expected &expected) {
    isLink = true;
    const char *target = archive_entry_symlink(current);
    linkTarget = target ? QByteArray(target) : QByteArray();
    // libarchive takes a link's target before any decryption; only a target that matches the
    // stored CRC is the real one.
    if (linkTarget.isEmpty() || crcOf(linkTarget) != expected.crc) {
        lastError = QStringLiteral("Link target does not match its CRC");
        dataFailed = true;
    }
}

qint64 ZipLibarchiveDecoder::readData(char *buffer, qint64 capacity) {
    if (dataFailed)
        return -1;
    if (isLink) {
        const qint64 count = qMin<qint64>(capacity, linkTarget.size() - linkOffset);
        std::memcpy(buffer, linkTarget.constData() + linkOffset, size_t(count));
        linkOffset += count;
        reachedEnd = count == 0;
        return count;
    }
    const la_ssize_t count = archive_read_data(reader, buffer, size_t(capacity));
    if (count < 0) {
        // A bad CRC or authentication code comes as a warning: the data is not good all the same.
        lastError = QString::fromUtf8(archive_error_string(reader));
        dataFailed = true;
        broken = count == ARCHIVE_FATAL;
        return -1;
    }
    reachedEnd = count == 0;
    return count;
}

bool ZipLibarchiveDecoder::finishData() {
    return reachedEnd && !dataFailed;
}
