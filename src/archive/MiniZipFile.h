#pragma once

#include "archive/ZipCentralDirectory.h"
#include "archive/ZipEntryInfo.h"
#include "archive/ZipEntryStream.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class SpannedFiles;
struct inflate_state;
struct libdeflate_decompressor;

// One zip archive opened through minizip's 64-bit calls. It keeps minizip's own declarations
// out of the rest of the engine, whose entry tree uses a type of the same name.
class MiniZipFile : public ZipEntryStream {
public:
    MiniZipFile();
    ~MiniZipFile() override;
    MiniZipFile(const MiniZipFile &) = delete;
    MiniZipFile &operator=(const MiniZipFile &) = delete;

    bool open(const QString &path);
    // An archive of no entries at all, which minizip declines to open: its end record starts
    // the file.
    static bool isEmptyArchive(const QString &path);
    // One segment of a split archive (".z01", ..., ".zip"), which minizip does not read: the
    // first starts with the split marker, the last has an end record on a later disk.
    static bool isSplitArchive(const QString &path);
    // A zip whose end, with the directory of its entries, is missing (an interrupted download
    // or copy): it starts with an entry but holds no end record.
    static bool isCutShort(const QString &path);
    void close();
    // The open archive's directory lists no entry.
    bool hasNoEntries() const;
    bool isOpen() const { return handle_ != nullptr; }

    // Each answers whether an entry is now current.
    bool goToFirstFile();
    bool goToNextFile();
    // The last goToNextFile() found a damaged record where the directory holds more entries.
    bool brokeOff() const { return brokeOff_ || directory_.brokeOff(); }
    bool goToPosition(const ZipEntryPosition &position);

    std::optional<ZipEntryInfo> currentInfo();
    // Opens the current entry's data; minizip reads stored and deflated entries only. A small
    // deflated entry is decoded whole at once, which libdeflate does about twice as fast as
    // zlib's streaming inflate; a larger one streams through ISA-L's inflate, as fast again.
    bool openCurrentFile(const ZipEntryInfo &info);
    qint64 readData(char *buffer, qint64 capacity) override;
    // Closes the current entry; false on a CRC mismatch or data not read to its end.
    bool finishData() override;

private:
    static constexpr int kFieldLimit = 65535;
    // Entries up to this size, packed and unpacked, are decoded whole; each extracting thread
    // holds one such pair of buffers.
    static constexpr quint64 kWholeEntryLimit = quint64{8} << 20;

    // Reads the current entry's packed data and decodes it into whole_; false when it is
    // damaged.
    bool decodeWhole(const ZipEntryInfo &info);
    // Decodes the next piece of a streamed entry into the buffer: its length, 0 at the end of
    // the data, -1 when the data is damaged or cut short.
    qint64 readStreamed(char *buffer, qint64 capacity);
    // Reads the current entry's next packed bytes, no more than it has: their count, -1 when the
    // file ends before them.
    qint64 readPacked(char *buffer, quint64 capacity);
    // Moves minizip to the entry, which the directory's walk may have gone past.
    bool followDirectory(const ZipEntryPosition &position);

    void *handle_ = nullptr;
    // Walks the entries when the end records could be read; minizip only opens their data then.
    ZipCentralDirectory directory_;
    // The index of minizip's current entry.
    std::optional<quint64> minizipIndex_;
    bool brokeOff_ = false;
    // The archive's bytes, for the packed data of the current entry: where its next bytes lie
    // and how many are left.
    std::unique_ptr<SpannedFiles> archive_;
    quint64 packedAt_ = 0;
    quint64 packedLeft_ = 0;
    // A stored entry is read as it is; its CRC is summed as it goes.
    bool stored_ = false;
    quint32 storedCrc_ = 0;
    libdeflate_decompressor *inflater_ = nullptr;
    // The entry decoded whole and how much of it was read; none while it streams or is stored.
    std::optional<qsizetype> wholeRead_;
    bool wholeChecked_ = false;
    QByteArray packed_;
    QByteArray whole_;
    // The streamed entry's decoder, the packed bytes at hand, and what the data must come to
    // (a stored entry's too); the decoder is unset while no entry streams.
    std::unique_ptr<inflate_state> stream_;
    bool streaming_ = false;
    bool packedEnded_ = false;
    std::vector<unsigned char> streamInput_;
    quint64 streamedSize_ = 0;
    quint64 expectedSize_ = 0;
    quint32 expectedCrc_ = 0;
    // Reused for every entry's name and extra field.
    QByteArray nameBuffer_;
    QByteArray extraBuffer_;
};
