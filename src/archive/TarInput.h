#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class FileGrowth;
class StreamWindow;

// A tar another thread is still decompressing: into a file that grows, or through a window that
// keeps only what its readers still need (nothing is on disk then).
struct GrowingTar {
    const FileGrowth *growth = nullptr;
    StreamWindow *window = nullptr;
    int reader = 0;
};

// Reads a tar file front to back through one large buffer, with seeks for hard links and for
// entries extracted alone: headers and small files cost no system call of their own, large
// data is read straight into the caller's buffer. A tar held in memory or coming through a
// window is read in place; a window's is read once, front to back.
class TarInput {
public:
    TarInput();
    ~TarInput();
    TarInput(const TarInput &) = delete;
    TarInput &operator=(const TarInput &) = delete;

    // Opens the file; a growing one's reads wait for the writer.
    bool open(const QString &path, const GrowingTar *growing = nullptr);
    // Reads the tar from memory the caller keeps while the input lives.
    void open(QByteArrayView tar);
    // Reads up to length bytes at the current position; fewer only at the end of the file, -1
    // when reading fails.
    qint64 read(char *data, qint64 length);
    // For a tar in memory or in a window: the next bytes, up to length, without a copy (none
    // only at the end); valid until the next call. None for a file, which read() takes.
    std::optional<QByteArrayView> borrow(qint64 length);
    bool seek(qint64 to);
    qint64 pos() const { return position_; }
    // True when the file holds at least end bytes. Reading a window, lets go of the data before
    // the current position.
    bool reaches(qint64 end) const;
    // False for a window: a seek back finds nothing there.
    bool keepsEarlierData() const { return window_ == nullptr; }

private:
    qint64 readAt(qint64 offset, char *data, qint64 length) const;

    QByteArrayView memory_;
    int fd_ = -1;
    const FileGrowth *growth_ = nullptr;
    StreamWindow *window_ = nullptr;
    int reader_ = 0;
    qint64 size_ = 0;
    std::vector<char> buffer_;
    // The file offset of the buffer's first byte and how many bytes it holds.
    qint64 bufferStart_ = 0;
    qint64 bufferLength_ = 0;
    qint64 position_ = 0;
};
