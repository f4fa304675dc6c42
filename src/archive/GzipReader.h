#pragma once

#include "archive/CompressedFileReader.h"

struct gzFile_s;

// Reads gzip files ("gz", "gzip", "tgz"), concatenated members included: a tar inside is listed
// entry by entry, anything else as one entry.
class GzipReader : public CompressedFileReader {
public:
    using CompressedFileReader::CompressedFileReader;
    ~GzipReader() override;

    // Opens the gzip handle; records "Failed to open archive file" when it cannot.
    bool openArchive();
    void closeArchive();

protected:
    QStringList tarExtensions() const override { return {QStringLiteral("tgz")}; }
    bool decompress(QFile &output) override;
    // Decodes a file of one gzip member of a bounded size in one call of libdeflate; null when
    // zlib's stream is to read it (larger, several members, data after the member, damage or a
    // cut: zlib tells exactly where the data ends).
    std::unique_ptr<MemoryBlock> decompressToMemory() override;

private:
    // Records zlib's status as a stream cut short (Z_BUF_ERROR) or as damage.
    void recordDamage(int status);

    gzFile_s *gzFile_ = nullptr;
};
