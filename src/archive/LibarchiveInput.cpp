#include "archive/LibarchiveInput.h"

#include "archive/SafePath.h"
#include "archive/SevenZipBlockDecoder.h"
#include "archive/SevenZipVolumes.h"

#include <QFile>
#include <QTimeZone>

#include <archive.h>
#include <archive_entry.h>

#include <vector>

namespace {

constexpr size_t kReadBlockSize = 65536;

void enableFormat(archive *handle, ArchiveKind kind) {
    switch (kind) {
    case ArchiveKind::Iso9660:
        archive_read_support_format_iso9660(handle);
        break;
    case ArchiveKind::Cpio:
        archive_read_support_format_cpio(handle);
        break;
    case ArchiveKind::Ar:
        archive_read_support_format_ar(handle);
        break;
    case ArchiveKind::Rpm:
        // The payload: a cpio archive behind the package header, compressed as the packager chose.
        archive_read_support_filter_rpm(handle);
        archive_read_support_filter_gzip(handle);
        archive_read_support_filter_bzip2(handle);
        archive_read_support_filter_xz(handle);
        archive_read_support_filter_lzma(handle);
        archive_read_support_filter_zstd(handle);
        archive_read_support_format_cpio(handle);
        break;
    case ArchiveKind::Cab:
        archive_read_support_format_cab(handle);
        break;
    case ArchiveKind::Lha:
        archive_read_support_format_lha(handle);
        break;
    default:
        archive_read_support_format_7zip(handle);
        break;
    }
}

} // namespace

LibarchiveInput::LibarchiveInput(ArchiveKind kind, const QString &path, NameDecoder decoder)
    : decoder_(kind == ArchiveKind::SevenZip ? nullptr : std::move(decoder)) {
    if (kind != ArchiveKind::SevenZip) {
        open(kind, {path});
        return;
    }
    const SevenZipVolumes volumes(path);
    missingPart_ = volumes.missingPart();
    // A cut archive is damaged: libarchive would size buffers from its header's claims.
    if (!missingPart_.isEmpty() || volumes.isTruncated())
        return;
    open(kind, volumes.files());
}

void LibarchiveInput::open(ArchiveKind kind, const QStringList &files) {
    std::vector<const char *> names;
    for (const QString &file : files) {
        files_.append(QFile::encodeName(file));
        names.push_back(files_.last().constData());
    }
    names.push_back(nullptr);
    handle_ = archive_read_new();
    enableFormat(handle_, kind);
    if (archive_read_open_filenames(handle_, names.data(), kReadBlockSize) != ARCHIVE_OK) {
        archive_read_free(handle_);
        handle_ = nullptr;
    }
}

LibarchiveInput::~LibarchiveInput() {
    if (handle_)
        archive_read_free(handle_);
}

LibarchiveInput::Next LibarchiveInput::next() {
    const int status = archive_read_next_header(handle_, &entry_);
    if (status == ARCHIVE_OK || status == ARCHIVE_WARN) {
        ++index_;
        return Next::Entry;
    }
    if (status == ARCHIVE_EOF)
        return Next::End;
    // libarchive knows the headers are encrypted once it has failed to read them.
    return archive_read_has_encrypted_entries(handle_) > 0 ? Next::Encrypted : Next::Failed;
}

qint64 LibarchiveInput::read(char *buffer, size_t capacity) {
    if (blocks_)
        return blocks_->read(quint64(index_),
                             quint64(qMax<la_int64_t>(archive_entry_size(entry_), 0)), buffer,
                             capacity);
    return archive_read_data(handle_, buffer, capacity);
}

void LibarchiveInput::readDataFrom(std::unique_ptr<SevenZipBlockDecoder> blocks) {
    blocks_ = std::move(blocks);
}

// Formats of raw names hand their bytes out unchanged (ISO 9660's Joliet names and the cabinet
// names flagged UTF-8 come out as UTF-8 in the thread's UTF-8 locale): they go through the same
// detection as tar's. 7z's names are UTF-8 from libarchive.
QString LibarchiveInput::text(const char *utf8, const char *bytes) const {
    if (decoder_ && bytes) {
        if (auto decoded = decoder_(bytes, qsizetype(qstrlen(bytes))))
            return *decoded;
    }
    return QString::fromUtf8(utf8 ? utf8 : "");
}

QString LibarchiveInput::path(archive_entry *entry) const {
    return SafePath::sanitize(
        text(archive_entry_pathname_utf8(entry), archive_entry_pathname(entry)));
}

QString LibarchiveInput::linkTarget(archive_entry *entry) const {
    return text(archive_entry_symlink_utf8(entry), archive_entry_symlink(entry));
}

QString LibarchiveInput::hardLinkSource(archive_entry *entry) const {
    const char *bytes = archive_entry_hardlink(entry);
    if (!bytes)
        return {};
    return SafePath::sanitize(text(archive_entry_hardlink_utf8(entry), bytes));
}

unsigned int LibarchiveInput::fileType(archive_entry *entry) {
    const unsigned int type = archive_entry_filetype(entry);
    if (type == AE_IFIFO && archive_entry_size(entry) > 0)
        return AE_IFREG;
    return type;
}

std::optional<QDateTime> LibarchiveInput::modifiedDate(archive_entry *entry) {
    if (!archive_entry_mtime_is_set(entry))
        return std::nullopt;
    // Made from its day and time in one shared zone: a date made from an instant holds several
    // times the memory in this Qt, which adds up over the entries of a large archive.
    static const QTimeZone utc = QTimeZone::utc();
    static const QDate epoch(1970, 1, 1);
    constexpr qint64 kSecondsPerDay = 86400;
    const qint64 seconds = archive_entry_mtime(entry);
    const qint64 days = seconds / kSecondsPerDay - (seconds % kSecondsPerDay < 0 ? 1 : 0);
    const auto msecs =
        int((seconds - days * kSecondsPerDay) * 1000 + archive_entry_mtime_nsec(entry) / 1000000);
    const QDateTime date(epoch.addDays(days), QTime::fromMSecsSinceStartOfDay(msecs), utc);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

mode_t LibarchiveInput::permission(archive_entry *entry) {
    return archive_entry_perm(entry) & 0777;
}
