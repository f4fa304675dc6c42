#pragma once

#include "archive/CompressedFileReader.h"

// Reads gzip files ("gz", "gzip", "tgz"), concatenated members included: a tar inside is listed
// entry by entry, anything else as one entry.
class GzipReader : public CompressedFileReader {
public:
    using CompressedFileReader::CompressedFileReader;

protected:
    QStringList tarExtensions() const override { return {QStringLiteral("tgz")}; }
    bool decompress(QFile &output) override;
    // Decodes a file of one gzip member of a bounded size into memory of the size its trailer
    // gives; null when the stream is to read it (larger, several members, data after the member,
    // damage or a cut: the stream tells exactly where the data ends).
    std::unique_ptr<MemoryBlock> decompressToMemory() override;
};
