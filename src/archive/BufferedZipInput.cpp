#include "archive/BufferedZipInput.h"

#include <minizip/ioapi.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Holds many directory records, or four of minizip's 16 KiB data reads.
constexpr quint64 kWindowSize = quint64{64} * 1024;

BufferedZipInput *input(voidpf stream) {
    return static_cast<BufferedZipInput *>(stream);
}

voidpf openFile(voidpf, const void *filename, int mode) {
    if (!filename || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    const int fd = ::open(static_cast<const char *>(filename), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return new BufferedZipInput(fd, quint64(st.st_size));
}

uLong readFile(voidpf, voidpf stream, void *buffer, uLong size) {
    return uLong(input(stream)->read(static_cast<char *>(buffer), size));
}

uLong writeFile(voidpf, voidpf, const void *, uLong) {
    return 0;
}

ZPOS64_T tellFile(voidpf, voidpf stream) {
    return input(stream)->tell();
}

long seekFile(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    return input(stream)->seek(qint64(offset), origin) ? 0 : -1;
}

int closeFile(voidpf, voidpf stream) {
    delete input(stream);
    return 0;
}

int errorFile(voidpf, voidpf stream) {
    return input(stream)->hasError() ? 1 : 0;
}

} // namespace

void BufferedZipInput::fillFunctions(zlib_filefunc64_def_s &functions) {
    functions = {openFile, readFile, writeFile, tellFile, seekFile, closeFile, errorFile, nullptr};
}

BufferedZipInput::BufferedZipInput(int fd, quint64 size)
    : fd_(fd)
    , size_(size) {
    for (Window &window : windows_)
        window.bytes.resize(kWindowSize);
}

BufferedZipInput::~BufferedZipInput() {
    ::close(fd_);
}

bool BufferedZipInput::seek(qint64 offset, int origin) {
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = qint64(position_);
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = qint64(size_);
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return false;
    if (base + offset < 0)
        return false;
    position_ = quint64(base + offset);
    return true;
}

BufferedZipInput::Window *BufferedZipInput::windowAt(quint64 offset) {
    for (int index = 0; index < 2; ++index) {
        if (windows_[index].holds(offset)) {
            spare_ = 1 - index;
            return &windows_[index];
        }
    }
    return nullptr;
}

quint64 BufferedZipInput::read(char *buffer, quint64 length) {
    // minizip reads headers a byte at a time: serve those from the last window straight away.
    const Window &last = windows_[1 - spare_];
    if (last.holds(position_) && position_ + length <= last.start + last.length) {
        std::memcpy(buffer, last.bytes.data() + (position_ - last.start), length);
        position_ += length;
        return length;
    }
    quint64 done = 0;
    while (done < length) {
        Window *window = windowAt(position_);
        if (!window && length - done >= kWindowSize) {
            // A read as large as a window goes straight to the caller.
            const ssize_t got = ::pread(fd_, buffer + done, length - done, off_t(position_));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                failed_ = got < 0;
                break;
            }
            position_ += quint64(got);
            done += quint64(got);
            continue;
        }
        if (!window) {
            window = &windows_[spare_];
            spare_ = 1 - spare_;
            if (!fill(*window))
                break;
        }
        const quint64 offset = position_ - window->start;
        const quint64 count = qMin(length - done, window->length - offset);
        std::memcpy(buffer + done, window->bytes.data() + offset, count);
        position_ += count;
        done += count;
    }
    return done;
}

bool BufferedZipInput::fill(Window &window) {
    // Near the end the window reaches back: minizip searches the end record backwards.
    const quint64 reach = window.bytes.size();
    const quint64 start = qMin(position_, size_ > reach ? size_ - reach : 0);
    for (;;) {
        const ssize_t got = ::pread(fd_, window.bytes.data(), window.bytes.size(), off_t(start));
        if (got < 0 && errno == EINTR)
            continue;
        failed_ = got < 0;
        window.start = start;
        window.length = got > 0 ? quint64(got) : 0;
        return window.holds(position_);
    }
}
