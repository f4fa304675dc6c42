#include "archive/sevenzip/Archive7Z.h"

#include "archive/FileWriteQueue.h"
#include "archive/SafePath.h"
#include "archive/Utf8CtypeScope.h"

#include <QFile>
#include <QString>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Chunks written between two progress reports.
constexpr size_t kChunkSize = 1024000;
constexpr size_t kReadBlockSize = 65536;
// Read, write and execute for everyone the umask lets have them.
constexpr mode_t kFullPermission = 0777;

void printError(const char *message) {
    std::fprintf(stderr, "\nERROR: %s\n", message);
}

class ArchiveReader {
public:
    explicit ArchiveReader(const char *path)
        : handle(archive_read_new()) {
        archive_read_support_format_7zip(handle);
        if (archive_read_open_filename(handle, path, kReadBlockSize) != ARCHIVE_OK) {
            printError("can not open input file");
            archive_read_free(handle);
            handle = nullptr;
        }
    }
    ~ArchiveReader() {
        if (handle)
            archive_read_free(handle);
    }
    ArchiveReader(const ArchiveReader &) = delete;
    ArchiveReader &operator=(const ArchiveReader &) = delete;

    enum class Next { Entry, End, Failed };
    Next next(archive_entry **entry) const {
        const int status = archive_read_next_header(handle, entry);
        if (status == ARCHIVE_OK || status == ARCHIVE_WARN)
            return Next::Entry;
        return status == ARCHIVE_EOF ? Next::End : Next::Failed;
    }

    archive *handle;
};

std::string timeText(archive_entry *entry) {
    if (!archive_entry_mtime_is_set(entry))
        return {};
    const time_t seconds = archive_entry_mtime(entry);
    std::tm parts{};
    char text[64];
    if (!gmtime_r(&seconds, &parts) ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts) == 0)
        return {};
    return text;
}

// One extraction walk: decodes entries and hands them to a writing thread, reports chunks and
// finished files, keeps the result.
class Extraction {
public:
    Extraction(archive *handle, Archive7ZProgressCallback callback,
               Archive7ZProgressParameter *parameter)
        : handle_(handle)
        , callback_(callback)
        , parameter_(parameter)
        , destination_(QString::fromUtf8(parameter->desFolder))
        , buffer_(kChunkSize)
        , files_(destination_) {}

    // Decodes the entry for the target; false when the walk must end (stopped or unreadable).
    bool write(archive_entry *entry, const QString &target, const QByteArray &reportedPath);
    void makeFolder(const QString &target);
    // Waits for the writing thread; the result holds every file's outcome afterwards.
    void finishWriting();
    void note(Archive7ZResult failure);
    void noteUnwritable(const QString &path);

    Archive7ZResult result = kArchive7ZSuccess;
    bool stopped = false;

private:
    enum class Copy { Done, Stopped, Damaged, Fatal };
    Copy copy(archive_entry *entry);
    bool reportChunk(size_t size);
    void reportFinished(const std::string &time, const QByteArray &reportedPath);

    archive *handle_;
    Archive7ZProgressCallback callback_;
    Archive7ZProgressParameter *parameter_;
    QString destination_;
    std::vector<char> buffer_;
    FileWriteQueue files_;
};

void Extraction::note(Archive7ZResult failure) {
    if (result != kArchive7ZEncrypted)
        result = failure;
}

void Extraction::noteUnwritable(const QString &path) {
    printError("can not write output file");
    if (parameter_->unwrittenPath.empty())
        parameter_->unwrittenPath = path.toStdString();
    note(kArchive7ZUnwritable);
}

void Extraction::makeFolder(const QString &target) {
    files_.makeFolder(target, [this, target](bool made) {
        if (!made)
            noteUnwritable(target);
    });
}

void Extraction::finishWriting() {
    files_.drain();
}

bool Extraction::write(archive_entry *entry, const QString &target,
                       const QByteArray &reportedPath) {
    files_.collect();
    if (stopped)
        return false;
    if (archive_entry_is_data_encrypted(entry)) {
        note(kArchive7ZEncrypted);
        return true;
    }
    files_.open(target);
    const Copy copied = copy(entry);
    if (copied == Copy::Stopped) {
        files_.discard();
        stopped = true;
        return false;
    }
    if (copied != Copy::Done) {
        // A damaged entry is not left behind looking as if it had been extracted.
        files_.discard();
        note(kArchive7ZFailure);
        return copied != Copy::Fatal;
    }
    // A file reported with its date is opened up for its owner (the date is set on the report);
    // one without keeps a new file's usual mode.
    const std::string time = timeText(entry);
    files_.finish(time.empty() ? 0 : kFullPermission,
                  [this, time, reportedPath, target](bool made) {
                      if (!made)
                          noteUnwritable(target);
                      else if (!stopped)
                          reportFinished(time, reportedPath);
                  });
    return true;
}

Extraction::Copy Extraction::copy(archive_entry *entry) {
    // A symbolic link is written as a file holding its target, never created as a link.
    if (archive_entry_filetype(entry) == AE_IFLNK) {
        const char *linkTarget = archive_entry_symlink_utf8(entry);
        const qint64 length = linkTarget ? qint64(std::strlen(linkTarget)) : 0;
        files_.write(linkTarget, length);
        return reportChunk(size_t(length)) ? Copy::Done : Copy::Stopped;
    }
    for (;;) {
        const la_ssize_t got = archive_read_data(handle_, buffer_.data(), buffer_.size());
        if (got == 0)
            return Copy::Done;
        if (got < 0)
            return got == ARCHIVE_FATAL ? Copy::Fatal : Copy::Damaged;
        files_.write(buffer_.data(), got);
        if (!reportChunk(size_t(got)))
            return Copy::Stopped;
    }
}

bool Extraction::reportChunk(size_t size) {
    if (size == 0)
        return true;
    parameter_->size = uint32_t(size);
    parameter_->time = nullptr;
    parameter_->despath = nullptr;
    return callback_(parameter_) == 0;
}

void Extraction::reportFinished(const std::string &time, const QByteArray &reportedPath) {
    parameter_->size = 0;
    parameter_->time = time.c_str();
    parameter_->despath = reportedPath.constData();
    stopped = callback_(parameter_) != 0;
    parameter_->time = nullptr;
    parameter_->despath = nullptr;
}

// Both walks answer false when the archive could not be read on: the result is a failure then,
// else the extraction's own.
bool extractAll(const ArchiveReader &reader, Extraction &extraction, const QString &destination) {
    archive_entry *entry = nullptr;
    for (;;) {
        const auto next = reader.next(&entry);
        if (next != ArchiveReader::Next::Entry)
            return next == ArchiveReader::Next::End;
        const char *name = archive_entry_pathname_utf8(entry);
        const QString relative = SafePath::sanitize(QString::fromUtf8(name ? name : ""));
        if (relative.isEmpty())
            continue;
        const QString target = SafePath::join(destination, relative);
        if (archive_entry_filetype(entry) == AE_IFDIR)
            extraction.makeFolder(target);
        else if (!extraction.write(entry, target, relative.toUtf8()))
            return extraction.stopped;
    }
}

bool extractSelected(const ArchiveReader &reader, Extraction &extraction,
                     const Archive7ZItem *items, size_t itemCount) {
    std::unordered_map<uint64_t, const char *> wanted;
    for (size_t i = 0; i < itemCount; ++i)
        wanted.emplace(items[i].index, items[i].fullpath);
    archive_entry *entry = nullptr;
    // Entries are only skipped until the last selected one: nothing after it is decoded.
    for (uint64_t index = 0; !wanted.empty(); ++index) {
        const auto next = reader.next(&entry);
        if (next != ArchiveReader::Next::Entry)
            return false;
        const auto found = wanted.find(index);
        if (found == wanted.end())
            continue;
        const QByteArray fullPath(found->second);
        wanted.erase(found);
        if (archive_entry_filetype(entry) == AE_IFDIR)
            continue;
        if (!extraction.write(entry, QString::fromUtf8(fullPath), fullPath))
            return extraction.stopped;
    }
    return true;
}

} // namespace

Archive7ZResult Archive7ZList(const char *archivePath, Archive7ZListCallback callback,
                              Archive7ZListParameter *parameter) {
    // libarchive turns the archive's UTF-16 names into bytes through the thread's locale.
    const Utf8CtypeScope utf8;
    const ArchiveReader reader(archivePath);
    if (!reader.handle)
        return kArchive7ZFailure;
    archive_entry *entry = nullptr;
    for (uint64_t index = 0;; ++index) {
        const auto next = reader.next(&entry);
        if (next != ArchiveReader::Next::Entry)
            return next == ArchiveReader::Next::End ? kArchive7ZSuccess : kArchive7ZFailure;
        const char *name = archive_entry_pathname_utf8(entry);
        if (!name)
            continue;
        const std::string time = timeText(entry);
        parameter->filename = name;
        parameter->time = time.c_str();
        parameter->size = uint64_t(archive_entry_size(entry));
        parameter->crc = 0;
        parameter->isdir = archive_entry_filetype(entry) == AE_IFDIR ? 1 : 0;
        parameter->encrypted = archive_entry_is_data_encrypted(entry) ? 1 : 0;
        parameter->index = index;
        const bool stop = callback(parameter) != 0;
        parameter->filename = nullptr;
        parameter->time = nullptr;
        if (stop)
            return kArchive7ZSuccess;
    }
}

Archive7ZResult Archive7ZExtract(const char *archivePath, const Archive7ZItem *items,
                                 size_t itemCount, Archive7ZProgressCallback callback,
                                 Archive7ZProgressParameter *parameter) {
    if (!parameter->desFolder)
        return kArchive7ZFailure;
    // libarchive turns the archive's UTF-16 names into bytes through the thread's locale.
    const Utf8CtypeScope utf8;
    const ArchiveReader reader(archivePath);
    if (!reader.handle)
        return kArchive7ZFailure;
    parameter->unwrittenPath.clear();
    Extraction extraction(reader.handle, callback, parameter);
    const bool walked =
        items ? extractSelected(reader, extraction, items, itemCount)
              : extractAll(reader, extraction, QString::fromUtf8(parameter->desFolder));
    extraction.finishWriting();
    return walked ? extraction.result : kArchive7ZFailure;
}
