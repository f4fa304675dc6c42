#pragma once

#include "archive/TarHeaderParser.h"

#include <QByteArray>

class TarInput;

// One entry of a tar archive, with GNU long names and pax keywords already applied.
struct TarEntry {
    // RegularFile, HardLink, SymbolicLink, Folder, SpecialFile, Skipped or EmptyBlock.
    TarRecordType type = TarRecordType::Unknown;
    QByteArray name;
    // True when the name came from a pax record, which is UTF-8 by definition.
    bool nameIsUtf8 = false;
    QByteArray linkName;
    bool linkNameIsUtf8 = false;
    quint32 mode = 0;
    // The bytes stored in the archive.
    quint64 size = 0;
    qint64 mtime = 0;
    // Offset of the entry's first record, its long-name and pax records included: reading from
    // there gives the whole entry again.
    qint64 recordPosition = 0;
    // Offset of the entry's first data byte, after its header and any sparse map.
    qint64 dataPosition = 0;
    // Sparse files: the stored bytes fill these spans of a file of realSize bytes; the rest of
    // it is holes. Other files have no map and a real size equal to size.
    bool isSparse = false;
    // Format 1.0 keeps the map at the start of the data, where the reader finds it.
    bool sparseMapInData = false;
    std::vector<TarSparseSegment> sparseMap;
    quint64 realSize = 0;
};

// Walks the 512-byte records of a tar file from the input's current position, folding the
// metadata records (GNU "L" and "K", pax "x" and "g") into the entry that follows them.
class TarRecordReader {
public:
    enum class Status { Entry, End, Damaged };

    explicit TarRecordReader(TarInput &input);

    // Reads the next entry and leaves the input at its data. End when no whole header is left;
    // Damaged for an unknown record type, an unreadable header or metadata cut short.
    Status next(TarEntry &entry);
    // Moves past the entry's data and padding; false when the archive ends inside its data.
    bool skipData(const TarEntry &entry);

private:
    // Metadata records hold names and keywords: anything bigger is not a real archive.
    static constexpr quint64 kMaxMetadataSize = quint64{8} * 1024 * 1024;

    bool readMetadata(const TarHeader &header);
    bool readData(quint64 size, QByteArray &data);
    // Old GNU sparse extension records, which follow the header.
    bool readSparseExtensions(TarHeader &header);
    // The map GNU's sparse format 1.0 keeps at the start of the entry's data; moves the entry's
    // data past it.
    bool readSparseMapFromData(TarEntry &entry);
    TarEntry makeEntry(const TarHeader &header, qint64 dataPosition);
    void clearPending();

    TarInput &input_;
    std::optional<QByteArray> longName_;
    std::optional<QByteArray> longLinkName_;
    PaxAttributes pax_;
    PaxAttributes paxGlobal_;
    // Where the first metadata record of the entry being read began.
    std::optional<qint64> recordPosition_;
};
