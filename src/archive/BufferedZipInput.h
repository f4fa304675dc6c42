#pragma once

#include <QtGlobal>

#include <vector>

struct zlib_filefunc64_def_s;

// Read-only file access for minizip through positioned reads and a read-ahead buffer of its own.
// minizip seeks before nearly every read (each directory record, each local header, each chunk
// of data); with stdio every such seek is a system call and drops the buffer. Here a seek only
// moves a number, and neighbouring reads are served from one larger read.
class BufferedZipInput {
public:
    // Sets the callbacks to pass to unzOpen2_64; each opened file gets its own buffer.
    static void fillFunctions(zlib_filefunc64_def_s &functions);

    BufferedZipInput(int fd, quint64 size);
    ~BufferedZipInput();
    BufferedZipInput(const BufferedZipInput &) = delete;
    BufferedZipInput &operator=(const BufferedZipInput &) = delete;

    // Bytes copied into the buffer from the current position; fewer at the end or on an error.
    quint64 read(char *buffer, quint64 length);
    // The origin as minizip gives it (set, current, end); false for a position before the start.
    bool seek(qint64 offset, int origin);
    quint64 tell() const { return position_; }
    bool hasError() const { return failed_; }

private:
    // A stretch of the file read in one go.
    struct Window {
        std::vector<char> bytes;
        // The file offset of the first byte and how many bytes are valid.
        quint64 start = 0;
        quint64 length = 0;
        bool holds(quint64 offset) const { return offset >= start && offset < start + length; }
    };

    Window *windowAt(quint64 offset);
    // Reads the window starting at the current position; false at the end or on an error.
    bool fill(Window &window);

    const int fd_;
    const quint64 size_;
    quint64 position_ = 0;
    // Two windows, because minizip alternates between the central directory and entry data.
    Window windows_[2];
    // The window refilled next: the one used least recently.
    int spare_ = 0;
    bool failed_ = false;
};
