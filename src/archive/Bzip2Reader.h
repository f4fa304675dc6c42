#pragma once

#include "archive/CompressedFileReader.h"

#include <cstdio>
#include <optional>

// Reads bzip2 files ("bz2", "bz", "tbz", "tbz2"), concatenated streams included: a tar inside is
// listed entry by entry, anything else as one entry.
class Bzip2Reader : public CompressedFileReader {
public:
    using CompressedFileReader::CompressedFileReader;
    ~Bzip2Reader() override;

    // Opens the archive file; records "Failed to open archive file" when it cannot.
    bool openArchive();
    void closeArchive();

protected:
    QStringList tarExtensions() const override {
        return {QStringLiteral("tbz"), QStringLiteral("tbz2")};
    }
    bool decompress(QFile &output) override;

private:
    enum class StreamEnd { Ended, TrailingData, Failed };

    // Decodes the blocks on every core when the file is plain bzip2 streams large enough to
    // gain from it; none when the stream-by-stream decoding below is to do the work.
    std::optional<bool> decompressInParallel(QFile &output);

    // Decodes one stream, starting with the bytes the previous one read ahead; hands back the
    // bytes it read beyond its own end.
    StreamEnd decompressStream(QFile &output, QByteArray &leftover, bool isFirst);
    bool hasMoreInput(const QByteArray &leftover);

    FILE *file_ = nullptr;
};
