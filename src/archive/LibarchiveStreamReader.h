#pragma once

#include "archive/CompressedFileReader.h"

#include <optional>

struct archive;

// Reads single compressed files of the formats libarchive decodes and zlib and libbz2 do not:
// xz, zstd, lz4, lzma, lzip and compress (".Z"). A tar inside is listed entry by entry by the
// tar reader, anything else is one entry named after the file without its extension. xz is
// decoded by liblzma itself, whose blocks decode on every core.
class LibarchiveStreamReader : public CompressedFileReader {
public:
    using CompressedFileReader::CompressedFileReader;

protected:
    QStringList tarExtensions() const override {
        return {QStringLiteral("txz"), QStringLiteral("tzst"), QStringLiteral("tlz"),
                QStringLiteral("taz")};
    }
    // Decodes through libarchive's filters with its raw format: the one "entry" is the
    // decompressed stream.
    bool decompress(QFile &output) override;

private:
    // Decodes an xz file; none when the file does not begin like one.
    std::optional<bool> decompressXz(QFile &output);
    // Records libarchive's failure as a stream cut short or as damage.
    void recordFailure(archive *input);
};
