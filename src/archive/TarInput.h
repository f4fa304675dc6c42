#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class FileGrowth;

// Reads a tar file front to back through one large buffer, with seeks for hard links and for
// entries extracted alone: headers and small files cost no system call of their own, large
// data is read straight into the caller's buffer. A tar held in memory is read in place.
class TarInput {
public:
    TarInput();
    ~TarInput();
    TarInput(const TarInput &) = delete;
    TarInput &operator=(const TarInput &) = delete;

    // Opens the file; with a growth, a file still being written, whose reads wait for the writer.
    bool open(const QString &path, const FileGrowth *growth = nullptr);
    // Reads the tar from memory the caller keeps while the input lives.
    void open(QByteArrayView tar);
    // Reads up to length bytes at the current position; fewer only at the end of the file, -1
    // when reading fails.
    qint64 read(char *data, qint64 length);
    // For a tar in memory: the next bytes, up to length, without a copy (fewer only at the end);
    // none for a file, which read() takes.
    std::optional<QByteArrayView> borrow(qint64 length);
    bool seek(qint64 to);
    qint64 pos() const { return position_; }
    // True when the file holds at least end bytes.
    bool reaches(qint64 end) const;

private:
    qint64 readAt(qint64 offset, char *data, qint64 length) const;

    QByteArrayView memory_;
    int fd_ = -1;
    const FileGrowth *growth_ = nullptr;
    qint64 size_ = 0;
    std::vector<char> buffer_;
    // The file offset of the buffer's first byte and how many bytes it holds.
    qint64 bufferStart_ = 0;
    qint64 bufferLength_ = 0;
    qint64 position_ = 0;
};
