#pragma once

// The C-style layer that walks a 7z archive and reports each entry, or each written chunk, to a
// callback. It decodes with libarchive's 7z reader (LZMA, LZMA2, PPMd, BZip2, Deflate, the BCJ
// filters); AES-encrypted content cannot be decoded.

#include <cstddef>
#include <cstdint>
#include <string>

// One listed entry; the strings are valid during the callback only.
struct Archive7ZListParameter {
    void *item = nullptr;
    // UTF-8, "/"-separated.
    const char *filename = nullptr;
    // "yyyy-MM-dd HH:mm:ss" in UTC; "" when the archive holds no time for the entry.
    const char *time = nullptr;
    uint64_t size = 0;
    // libarchive does not expose the stored CRC: always 0.
    uint32_t crc = 0;
    uint8_t isdir = 0;
    // The entry's content is encrypted.
    uint8_t encrypted = 0;
    // Position of the entry in the archive's own order, counting every entry; extraction of
    // selected entries finds them by it.
    uint64_t index = 0;
};

// A written chunk (size > 0) or, with size 0, a finished file.
struct Archive7ZProgressParameter {
    void *item = nullptr;
    uint32_t size = 0;
    // Finished file: its time text (possibly ""); null while writing.
    const char *time = nullptr;
    // Finished file: the path written, relative to desFolder when the whole archive is
    // extracted, full when selected entries are; null while writing.
    const char *despath = nullptr;
    // Destination folder in UTF-8 without a trailing "/". Nothing is written outside it.
    const char *desFolder = nullptr;
    // Set by the extraction that ends with kArchive7ZUnwritable: the first full path (UTF-8)
    // that could not be written.
    std::string unwrittenPath;
};

// Non-zero stops the walk.
using Archive7ZListCallback = int32_t (*)(Archive7ZListParameter *parameter);
using Archive7ZProgressCallback = int32_t (*)(Archive7ZProgressParameter *parameter);

enum Archive7ZResult : int32_t {
    kArchive7ZSuccess = 0,
    // The archive could not be opened or read, an entry was damaged, or a selected entry was
    // not found.
    kArchive7ZFailure = 1,
    // Entries were skipped because their content is encrypted.
    kArchive7ZEncrypted = 2,
    // A file or folder could not be written (a full disk, a folder that refuses it); the
    // progress record names it.
    kArchive7ZUnwritable = 3,
};

// One selected entry and the full path it is written to.
struct Archive7ZItem {
    uint64_t index = 0;
    const char *fullpath = nullptr;
};

// Reports every entry in archive order; a callback's non-zero answer ends the walk (success).
Archive7ZResult Archive7ZList(const char *archivePath, Archive7ZListCallback callback,
                              Archive7ZListParameter *parameter);

// Extracts the whole archive into parameter->desFolder when items is null, else exactly the
// selected entries (folders among them are left to the caller), in one walk: a solid block
// is decoded at most once per call.
Archive7ZResult Archive7ZExtract(const char *archivePath, const Archive7ZItem *items,
                                 size_t itemCount, Archive7ZProgressCallback callback,
                                 Archive7ZProgressParameter *parameter);
