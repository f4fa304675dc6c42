#include "archive/SevenZipInput.h"

#include "archive/SafePath.h"
#include "archive/SevenZipVolumes.h"

#include <QFile>
#include <QTimeZone>

#include <archive.h>
#include <archive_entry.h>

#include <vector>

namespace {

constexpr size_t kReadBlockSize = 65536;

} // namespace

SevenZipInput::SevenZipInput(const QString &path) {
    const SevenZipVolumes volumes(path);
    missingPart_ = volumes.missingPart();
    // A cut archive is damaged: libarchive would size buffers from its header's claims.
    if (!missingPart_.isEmpty() || volumes.isTruncated())
        return;
    std::vector<const char *> names;
    for (const QString &file : volumes.files()) {
        files_.append(QFile::encodeName(file));
        names.push_back(files_.last().constData());
    }
    names.push_back(nullptr);
    handle_ = archive_read_new();
    archive_read_support_format_7zip(handle_);
    if (archive_read_open_filenames(handle_, names.data(), kReadBlockSize) != ARCHIVE_OK) {
        archive_read_free(handle_);
        handle_ = nullptr;
    }
}

SevenZipInput::~SevenZipInput() {
    if (handle_)
        archive_read_free(handle_);
}

SevenZipInput::Next SevenZipInput::next() {
    const int status = archive_read_next_header(handle_, &entry_);
    if (status == ARCHIVE_OK || status == ARCHIVE_WARN)
        return Next::Entry;
    if (status == ARCHIVE_EOF)
        return Next::End;
    // libarchive knows the headers are encrypted once it has failed to read them.
    return archive_read_has_encrypted_entries(handle_) > 0 ? Next::Encrypted : Next::Failed;
}

qint64 SevenZipInput::read(char *buffer, size_t capacity) {
    return archive_read_data(handle_, buffer, capacity);
}

QString SevenZipInput::path(archive_entry *entry) {
    const char *name = archive_entry_pathname_utf8(entry);
    return SafePath::sanitize(QString::fromUtf8(name ? name : ""));
}

unsigned int SevenZipInput::fileType(archive_entry *entry) {
    const unsigned int type = archive_entry_filetype(entry);
    if (type == AE_IFIFO && archive_entry_size(entry) > 0)
        return AE_IFREG;
    return type;
}

QString SevenZipInput::linkTarget(archive_entry *entry) {
    const char *target = archive_entry_symlink_utf8(entry);
    return QString::fromUtf8(target ? target : "");
}

std::optional<QDateTime> SevenZipInput::modifiedDate(archive_entry *entry) {
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

mode_t SevenZipInput::permission(archive_entry *entry) {
    return archive_entry_perm(entry) & 0777;
}
