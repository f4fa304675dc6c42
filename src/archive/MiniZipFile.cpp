#include "archive/MiniZipFile.h"

#include "archive/BufferedZipInput.h"
#include "archive/SpannedFiles.h"

#include <QFile>
#include <QHash>
#include <QTimeZone>
#include <QtEndian>

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <minizip/unzip.h>

#include <cstring>

#include <limits>

namespace {

// The packed bytes a streamed entry reads at a time.
constexpr std::size_t kStreamInputSize = std::size_t{256} * 1024;

// The local date minizip splits from the DOS date, as milliseconds since 1970 UTC; none when it
// is not a real date.
std::optional<qint64> localMSecs(const tm_unz &date) {
    const QDate day(int(date.tm_year), int(date.tm_mon) + 1, int(date.tm_mday));
    const QTime time(int(date.tm_hour), int(date.tm_min), int(date.tm_sec));
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    // Looking the zone up costs several file lookups.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    // Placing a date in the zone looks its rules up, which costs more than the rest of an entry.
    // On a day whose offset does not change, a time is the day's start plus its seconds: the
    // rules are looked up once per day (a day that changes offset stands as none).
    thread_local QHash<qint64, std::optional<qint64>> steadyDayStarts;
    auto start = steadyDayStarts.constFind(day.toJulianDay());
    if (start == steadyDayStarts.cend()) {
        if (steadyDayStarts.size() > 100000)
            steadyDayStarts.clear();
        const QDateTime first(day, QTime(0, 0), zone);
        const QDateTime last(day, QTime(23, 59, 59), zone);
        std::optional<qint64> steady;
        if (first.isValid() && last.isValid() && first.secsTo(last) == 86399 &&
            first.time() == QTime(0, 0))
            steady = first.toMSecsSinceEpoch();
        start = steadyDayStarts.insert(day.toJulianDay(), steady);
    }
    if (*start)
        return **start + qint64(time.msecsSinceStartOfDay());
    const QDateTime placed(day, time, zone);
    if (!placed.isValid())
        return std::nullopt;
    return placed.toMSecsSinceEpoch();
}

// The fields of an MS-DOS date and time (the time in the low half), as minizip splits them.
tm_unz splitDosDate(quint32 dosDateTime) {
    const quint32 date = dosDateTime >> 16;
    tm_unz split{};
    split.tm_mday = date & 0x1F;
    split.tm_mon = ((date >> 5) & 0xF) - 1;
    split.tm_year = ((date >> 9) & 0x7F) + 1980;
    split.tm_hour = (dosDateTime >> 11) & 0x1F;
    split.tm_min = (dosDateTime >> 5) & 0x3F;
    split.tm_sec = 2 * (dosDateTime & 0x1F);
    return split;
}

} // namespace

MiniZipFile::MiniZipFile() = default;

MiniZipFile::~MiniZipFile() {
    close();
    if (inflater_)
        libdeflate_free_decompressor(inflater_);
}

bool MiniZipFile::open(const QString &path) {
    close();
    zlib_filefunc64_def functions;
    BufferedZipInput::fillFunctions(functions);
    handle_ = unzOpen2_64(QFile::encodeName(path).constData(), &functions);
    if (handle_)
        archive_ = std::make_unique<SpannedFiles>(QStringList{path});
    unz64_file_pos first{};
    if (handle_ && goToFirstFile() && unzGetFilePos64(handle_, &first) == UNZ_OK)
        directory_.open(path, first.pos_in_zip_directory);
    return handle_ != nullptr;
}

bool MiniZipFile::isEmptyArchive(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray end = file.read(22);
    return end.size() == 22 && end.startsWith("PK\x05\x06") &&
           qFromLittleEndian<quint16>(end.constData() + 10) == 0;
}

bool MiniZipFile::isSplitArchive(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.read(4) == QByteArray("PK\x07\x08", 4))
        return true;
    const QByteArray tail = ZipCentralDirectory::endTail(file);
    const qsizetype end = ZipCentralDirectory::lastEndRecord(tail);
    return end >= 0 && qFromLittleEndian<quint16>(tail.constData() + end + 4) != 0;
}

bool MiniZipFile::isCutShort(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(4) == QByteArray("PK\x03\x04", 4) &&
           ZipCentralDirectory::lastEndRecord(ZipCentralDirectory::endTail(file)) < 0;
}

void MiniZipFile::close() {
    if (handle_)
        unzClose(handle_);
    handle_ = nullptr;
    archive_.reset();
    directory_.close();
    minizipIndex_.reset();
}

bool MiniZipFile::hasNoEntries() const {
    unz_global_info64 info{};
    return unzGetGlobalInfo64(handle_, &info) == UNZ_OK && info.number_entry == 0;
}

bool MiniZipFile::goToFirstFile() {
    minizipIndex_.reset();
    brokeOff_ = false;
    if (unzGoToFirstFile(handle_) != UNZ_OK)
        return false;
    minizipIndex_ = 0;
    return !directory_.isOpen() || directory_.first();
}

bool MiniZipFile::goToNextFile() {
    if (directory_.isOpen())
        return directory_.next();
    const int result = unzGoToNextFile(handle_);
    // A count of 65,535 is walked until a record is none: that end is no damage.
    unz_global_info64 info{};
    brokeOff_ = result != UNZ_OK && result != UNZ_END_OF_LIST_OF_FILE &&
                unzGetGlobalInfo64(handle_, &info) == UNZ_OK && info.number_entry != 0xFFFF;
    return result == UNZ_OK;
}

bool MiniZipFile::goToPosition(const ZipEntryPosition &position) {
    return followDirectory(position) && (!directory_.isOpen() || directory_.seek(position));
}

bool MiniZipFile::followDirectory(const ZipEntryPosition &position) {
    // Without the directory, minizip walks itself and its index is not kept.
    if (directory_.isOpen() && minizipIndex_ == position.index)
        return true;
    minizipIndex_.reset();
    unz64_file_pos pos{position.positionInDirectory, position.index};
    if (unzGoToFilePos64(handle_, &pos) != UNZ_OK)
        return false;
    minizipIndex_ = position.index;
    return true;
}

std::optional<ZipEntryInfo> MiniZipFile::currentInfo() {
    if (directory_.isOpen()) {
        quint32 dosDateTime = 0;
        auto result = directory_.current(dosDateTime);
        if (result) {
            result->modifiedMSecs = localMSecs(splitDosDate(dosDateTime));
            result->readZip64Field();
        }
        return result;
    }
    ZipEntryInfo result;
    // Both fields are 16-bit in the format, so one call with buffers of that size reads all.
    if (nameBuffer_.isEmpty()) {
        nameBuffer_.resize(kFieldLimit);
        extraBuffer_.resize(kFieldLimit);
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(handle_, &info, nameBuffer_.data(), kFieldLimit,
                                extraBuffer_.data(), kFieldLimit, nullptr, 0) != UNZ_OK)
        return std::nullopt;
    const QByteArray name = nameBuffer_.left(qsizetype(info.size_filename));
    unz64_file_pos pos{};
    if (unzGetFilePos64(handle_, &pos) != UNZ_OK)
        return std::nullopt;
    result.versionMadeBy = quint16(info.version);
    result.flag = quint16(info.flag);
    result.compressionMethod = quint16(info.compression_method);
    result.crc = quint32(info.crc);
    result.compressedSize = info.compressed_size;
    result.uncompressedSize = info.uncompressed_size;
    result.externalAttributes = quint32(info.external_fa);
    result.modifiedMSecs = localMSecs(info.tmu_date);
    result.rawName = name.left(qsizetype(qstrnlen(name.constData(), size_t(name.size()))));
    result.extraField = extraBuffer_.left(qsizetype(info.size_file_extra));
    result.position = {pos.pos_in_zip_directory, pos.num_of_file};
    result.readZip64Field();
    return result;
}

bool MiniZipFile::openCurrentFile(const ZipEntryInfo &info) {
    wholeRead_.reset();
    streaming_ = false;
    stored_ = false;
    if (directory_.isOpen() && !followDirectory(info.position))
        return false;
    // minizip checks the local header and finds where the packed bytes start; they are read
    // here, as its raw reading copies them a byte at a time and sums a CRC of them.
    if (!archive_->isOpen() || unzOpenCurrentFile2(handle_, nullptr, nullptr, 1) != UNZ_OK)
        return false;
    packedAt_ = quint64(unzGetCurrentFileZStreamPos64(handle_));
    packedLeft_ = info.compressedSize;
    streamedSize_ = 0;
    expectedSize_ = info.uncompressedSize;
    expectedCrc_ = quint32(info.crc);
    if (!info.isDeflated()) {
        // Bytes stored beyond the entry's size are not its data.
        stored_ = true;
        storedCrc_ = 0;
        packedLeft_ = qMin(info.compressedSize, info.uncompressedSize);
        return true;
    }
    if (info.compressedSize <= kWholeEntryLimit && info.uncompressedSize <= kWholeEntryLimit) {
        wholeChecked_ = decodeWhole(info);
        wholeRead_ = 0;
        return true;
    }
    if (!stream_) {
        stream_ = std::make_unique<inflate_state>();
        streamInput_.resize(kStreamInputSize);
    }
    isal_inflate_init(stream_.get());
    stream_->crc_flag = ISAL_GZIP_NO_HDR;
    streaming_ = true;
    packedEnded_ = false;
    return true;
}

qint64 MiniZipFile::readPacked(char *buffer, quint64 capacity) {
    const quint64 count = qMin(capacity, packedLeft_);
    if (count > 0 && !archive_->read(packedAt_, buffer, count))
        return -1;
    packedAt_ += count;
    packedLeft_ -= count;
    return qint64(count);
}

bool MiniZipFile::decodeWhole(const ZipEntryInfo &info) {
    packed_.resize(qsizetype(info.compressedSize));
    if (readPacked(packed_.data(), quint64(packed_.size())) != packed_.size())
        return false;
    if (!inflater_ && !(inflater_ = libdeflate_alloc_decompressor()))
        return false;
    whole_.resize(qsizetype(info.uncompressedSize));
    // Without a place for the decoded length, anything but exactly the recorded size fails.
    return libdeflate_deflate_decompress(inflater_, packed_.constData(), size_t(packed_.size()),
                                         whole_.data(), size_t(whole_.size()),
                                         nullptr) == LIBDEFLATE_SUCCESS &&
           libdeflate_crc32(0, whole_.constData(), size_t(whole_.size())) == info.crc;
}

qint64 MiniZipFile::readStreamed(char *buffer, qint64 capacity) {
    inflate_state &state = *stream_;
    for (;;) {
        if (state.block_state == ISAL_BLOCK_FINISH)
            return 0;
        if (state.avail_in == 0 && !packedEnded_) {
            const qint64 got = readPacked(reinterpret_cast<char *>(streamInput_.data()),
                                          quint64(streamInput_.size()));
            if (got < 0)
                return -1;
            packedEnded_ = got == 0;
            state.next_in = streamInput_.data();
            state.avail_in = quint32(got);
        }
        state.next_out = reinterpret_cast<uint8_t *>(buffer);
        state.avail_out = quint32(qMin<qint64>(capacity, std::numeric_limits<quint32>::max()));
        const uint8_t *const before = state.next_in;
        const quint32 room = state.avail_out;
        const int status = isal_inflate(&state);
        if (status != ISAL_DECOMP_OK && status != ISAL_END_INPUT && status != ISAL_OUT_OVERFLOW)
            return -1;
        const qint64 made = qint64(room - state.avail_out);
        streamedSize_ += quint64(made);
        if (made > 0)
            return made;
        // Nothing moved with all the packed data read: the data ends inside the stream.
        if (state.next_in == before && packedEnded_ && state.block_state != ISAL_BLOCK_FINISH)
            return -1;
    }
}

qint64 MiniZipFile::readData(char *buffer, qint64 capacity) {
    if (streaming_)
        return readStreamed(buffer, capacity);
    if (wholeRead_) {
        if (!wholeChecked_)
            return -1;
        const qint64 count = qMin<qint64>(capacity, whole_.size() - *wholeRead_);
        std::memcpy(buffer, whole_.constData() + *wholeRead_, size_t(count));
        *wholeRead_ += count;
        return count;
    }
    const qint64 got = readPacked(buffer, quint64(qMax<qint64>(capacity, 0)));
    if (got > 0) {
        storedCrc_ = quint32(libdeflate_crc32(storedCrc_, buffer, size_t(got)));
        streamedSize_ += quint64(got);
    }
    return got;
}

bool MiniZipFile::finishData() {
    if (streaming_) {
        streaming_ = false;
        const bool done = stream_->block_state == ISAL_BLOCK_FINISH &&
                          stream_->crc == expectedCrc_ && streamedSize_ == expectedSize_;
        return unzCloseCurrentFile(handle_) == UNZ_OK && done;
    }
    if (wholeRead_) {
        const bool done = wholeChecked_ && *wholeRead_ == whole_.size();
        wholeRead_.reset();
        return unzCloseCurrentFile(handle_) == UNZ_OK && done;
    }
    const bool done = stored_ && storedCrc_ == expectedCrc_ && streamedSize_ == expectedSize_;
    stored_ = false;
    return unzCloseCurrentFile(handle_) == UNZ_OK && done;
}
