#pragma once

#include <QtGlobal>

#include <lzma.h>

#include <cstddef>
#include <limits>
#include <memory>

// xz compression on every core into a file, for a writer that hands over its bytes as they come.
// libarchive's own xz filter waits inside a write until a whole block (24 MiB at the default
// level) is compressed, so a cancel would go unseen for seconds; this encoder waits at most a
// tenth of a second at a time and answers the writing thread's cancel mark in between.
class XzOutput {
public:
    // Compresses at xz's default level with as many threads as cores; isOpen() is false when
    // liblzma refuses. expectedSize, about what will be written (0: unknown), sizes the blocks
    // the threads compress.
    XzOutput(int fd, quint64 expectedSize);
    ~XzOutput();
    XzOutput(const XzOutput &) = delete;
    XzOutput &operator=(const XzOutput &) = delete;

    bool isOpen() const { return open_; }
    // Compresses the bytes and writes what comes out. False on a write failure (errno tells
    // why), a compression failure or a cancel.
    bool write(const void *data, std::size_t size);
    // Writes the rest and the stream's end; false as write().
    bool finish();

private:
    bool code(const void *data, std::size_t size, lzma_action action);
    quint64 nextBlock() const;

    struct Stream;
    const std::unique_ptr<Stream> stream_;
    const int fd_;
    const quint32 threads_;
    bool open_ = false;
    // The sizes of the blocks cut here, when the expected size is known.
    quint64 smallest_ = 0;
    quint64 largest_ = 0;
    // Bytes until the current block is cut (never, when xz's own blocks are left to it), and
    // the expected bytes not written yet.
    quint64 blockLeft_ = std::numeric_limits<quint64>::max();
    quint64 remaining_ = 0;
};
