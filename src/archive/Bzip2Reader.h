#pragma once

#include "archive/CompressedFileReader.h"

#include <cstdio>

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

    // Decodes one stream, starting with the bytes the previous one read ahead; hands back the
    // bytes it read beyond its own end.
    StreamEnd decompressStream(QFile &output, QByteArray &leftover, bool isFirst);
    bool hasMoreInput(const QByteArray &leftover);

    FILE *file_ = nullptr;
};
