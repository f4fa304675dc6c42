#pragma once

#include "archive/ZipEntryStream.h"

#include <QByteArray>
#include <QString>

struct archive;
struct archive_entry;

// Decodes the zip entries minizip cannot: traditional and WinZip AES encryption, and the bzip2,
// LZMA, xz and zstd methods. libarchive reads the archive's central directory, so its entries
// come in minizip's order and an entry is found by its index. One decoder serves one extraction:
// entries asked for in ascending order are reached in a single pass.
class ZipLibarchiveDecoder : public ZipEntryStream {
public:
    // What the central directory says the entry holds, to make sure the right one is decoded.
    struct Expected {
        quint64 index = 0;
        quint64 size = 0;
        quint32 crc = 0;
    };

    ZipLibarchiveDecoder(const QString &archivePath, const QString &password);
    ~ZipLibarchiveDecoder() override;
    ZipLibarchiveDecoder(const ZipLibarchiveDecoder &) = delete;
    ZipLibarchiveDecoder &operator=(const ZipLibarchiveDecoder &) = delete;

    // Positions on the entry at that index. False when the archive cannot be read up to it or
    // the entry found there is not the one expected.
    bool openEntry(const Expected &expected);
    // A symbolic link's data is its target text, which libarchive hands out in the header.
    qint64 readData(char *buffer, qint64 capacity) override;
    bool finishData() override;

private:
    bool reopen();
    void release();
    bool skipTo(quint64 index);
    void takeLinkTarget(const Expected &expected);
    void fail();

    QString archivePath_;
    QByteArray password_;
    struct archive *reader_ = nullptr;
    struct archive_entry *current_ = nullptr;
    quint64 nextIndex_ = 0;
    bool broken_ = false;
    bool isLink_ = false;
    QByteArray linkTarget_;
    qsizetype linkOffset_ = 0;
    bool reachedEnd_ = false;
    bool dataFailed_ = false;
};
