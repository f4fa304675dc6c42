#pragma once

#include "archive/ExtractionOutput.h"
#include "util/Error.h"

#include <QString>

#include <functional>
#include <vector>

#include <sys/types.h>

class ZipEntryStream;
struct ZipEntryInfo;

// Writes one regular zip entry to a new file below the destination: the data with its length
// and check verified, then the stored permissions and, when asked, the stored date. A file
// whose data turns out bad is removed; a cancelled one is left for whoever cancelled. Holds no
// state shared with other writers, so each task of a parallel extraction has its own.
class ZipEntryFileWriter {
public:
    enum class Result { Written, Failed, Cancelled };

    // isCancelled is asked before every buffer, progress told every buffer's byte count.
    ZipEntryFileWriter(std::function<bool()> isCancelled, std::function<void(quint64)> progress,
                       bool restoresDates);

    // Progress counts in steps of this many bytes, so that a report lands at most one step past
    // the readers' threshold, whatever the size of the buffer that moved the data.
    static constexpr quint64 kProgressStep = 4096;

    Result write(ZipEntryStream &stream, const QString &destination, const QString &fullPath,
                 const ZipEntryInfo &info);
    // Why the last write failed: a wrong password or damaged data for bad data, else the
    // system's cause of the failed write; names the entry by its path below the destination.
    const Error &lastError() const { return lastError_; }

private:
    enum class Copy { Done, Unwritable, BadData, Cancelled };
    // Copies the stream into the open output, counting the bytes written.
    Copy copy(ZipEntryStream &stream, quint64 &written);
    Result fail(const Error &error);

    std::function<bool()> isCancelled_;
    std::function<void(quint64)> progress_;
    bool restoresDates_;
    // One buffer for all the writer's files: nothing is allocated per chunk.
    std::vector<char> buffer_;
    ExtractionOutput output_;
    Error lastError_;
};
