#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

// Files read as if laid end to end, as the parts of a volume set are. Reads may come from
// several threads at once.
class SpannedFiles {
public:
    explicit SpannedFiles(const QStringList &paths);
    ~SpannedFiles();
    SpannedFiles(const SpannedFiles &) = delete;
    SpannedFiles &operator=(const SpannedFiles &) = delete;

    // False when a file could not be opened.
    bool isOpen() const { return open_; }
    // Reads the bytes at the offset; false when they are not all there.
    bool read(quint64 offset, char *buffer, quint64 size) const;
    // The same into a new array: empty when they are not all there.
    QByteArray read(quint64 offset, quint64 size) const;

private:
    struct Part {
        int descriptor;
        quint64 size;
    };
    std::vector<Part> parts_;
    bool open_ = true;
};
