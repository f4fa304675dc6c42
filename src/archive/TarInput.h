#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class FileGrowth;

// Reads a tar file front to back through one large buffer, with seeks for hard links and for
// entries extracted alone: headers and small files cost no system call of their own, large
// data is read straight into the caller's buffer. A tar held in memory is read in place; one
// still being decompressed may have its first bytes in memory and the rest in its file.
class TarInput {
public:
    TarInput();
    ~TarInput();
    TarInput(const TarInput &) = delete;
    TarInput &operator=(const TarInput &) = delete;

    // Opens the tar at path. With memory, the tar's first bytes are there (the caller keeps them
    // while the input lives) and the file is opened only for the bytes beyond; with no growth,
    // memory holds the whole tar. With a growth, the tar is still being written, and reads wait
    // for the writer.
    bool open(const QString &path, QByteArrayView memory = {}, const FileGrowth *growth = nullptr);
    // Reads up to length bytes at the current position; fewer only at the end of the tar, -1
    // when reading fails.
    qint64 read(char *data, qint64 length);
    // While the position is in memory: the next bytes there, up to length, without a copy (fewer
    // only at the end of the memory or of the tar); none beyond, where read() takes over.
    std::optional<QByteArrayView> borrow(qint64 length);
    bool seek(qint64 to);
    qint64 pos() const { return position_; }
    // True when the tar holds at least end bytes.
    bool reaches(qint64 end) const;

private:
    bool openFile();
    qint64 readAt(qint64 offset, char *data, qint64 length);

    QString path_;
    QByteArrayView memory_;
    int fd_ = -1;
    const FileGrowth *growth_ = nullptr;
    // The tar's size where no growth tells it.
    qint64 size_ = 0;
    std::vector<char> buffer_;
    // The file offset of the buffer's first byte and how many bytes it holds.
    qint64 bufferStart_ = 0;
    qint64 bufferLength_ = 0;
    qint64 position_ = 0;
};
