#pragma once

#include "archive/TarHeaderParser.h"

#include <QByteArray>

class TarInput;

// One entry of a tar archive, with GNU long names and pax keywords already applied.
struct TarEntry {
    // RegularFile, HardLink, SymbolicLink, Folder, Skipped or EmptyBlock.
    TarRecordType type = TarRecordType::Unknown;
    QByteArray name;
    // True when the name came from a pax record, which is UTF-8 by definition.
    bool nameIsUtf8 = false;
    QByteArray linkName;
    bool linkNameIsUtf8 = false;
    quint32 mode = 0;
    quint64 size = 0;
    qint64 mtime = 0;
    // Offset of the entry's first data byte, just after its header.
    qint64 dataPosition = 0;
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
    TarEntry makeEntry(const TarHeader &header, qint64 dataPosition);
    void clearPending();

    TarInput &input_;
    std::optional<QByteArray> longName_;
    std::optional<QByteArray> longLinkName_;
    PaxAttributes pax_;
    PaxAttributes paxGlobal_;
};
