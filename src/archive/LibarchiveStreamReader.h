#pragma once

#include "archive/CompressedFileReader.h"

#include <memory>
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
    // Decodes into memory: an xz file whose indexes give its decoded size, its blocks on every
    // core, or a stream of another format while it fits the largest block. Null for a cut or
    // damaged stream, which decompress() decodes again to tell them apart, and for a stream
    // that outgrew the block, which decompress() carries on.
    std::unique_ptr<MemoryBlock> decompressToMemory() override;

private:
    struct ArchiveFree {
        void operator()(archive *handle) const;
    };
    using Filters = std::unique_ptr<archive, ArchiveFree>;

    std::unique_ptr<MemoryBlock> decodeXzToMemory(const uchar *data, qint64 size);
    std::unique_ptr<MemoryBlock> decodeToMemory();
    // libarchive's filters over the file with the stream's start read; null when they cannot
    // read it, the reason recorded when record is set.
    Filters openFilters(bool record);
    // Decodes an xz file; none when the file does not begin like one.
    std::optional<bool> decompressXz(QFile &output);
    // Records libarchive's failure as a stream cut short or as damage.
    void recordFailure(archive *input);

    // A decode into memory that outgrew its block: the filters, still open, and what they gave.
    Filters carried_;
    std::unique_ptr<MemoryBlock> carriedData_;
};
