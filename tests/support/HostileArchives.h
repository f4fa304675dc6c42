#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

// Damaged and hostile archives made by the tests themselves, and the faults they inject while
// writing. Archives are built with the peer tools (zip, 7zz, rar, tar, gzip, bzip2, python3).
namespace HostileArchives {

// The formats makeArchive knows, by the extension of the archive it makes.
QStringList formats();
// Packs the contents of the folder into an archive of the format (the archive's extension);
// gz and bz2 compress the folder's single file "data.bin". Returns the archive's path, or an
// empty string when the tool failed.
QString makeArchive(const QString &sourceFolder, const QString &archivePath);
// Whether the format checks its data (zip, 7z, rar, gz, bz2: a CRC; tar does not).
bool checksData(const QString &format);
// The first bytes only.
QByteArray truncated(const QByteArray &bytes, qsizetype keep);
// The bytes with every bit of the span inverted.
QByteArray flipped(const QByteArray &bytes, qsizetype at, qsizetype length);
// An archive of the format (zip, tar, tgz, 7z, gz, bz2) holding one entry of that many zero
// bytes.
QString makeZeros(const QString &archivePath, qint64 size);
// Rewrites the uncompressed size that the central directory and local header of a zip made by
// python's zipfile declare for every entry.
bool claimZipSize(const QString &archivePath, quint64 size);

} // namespace HostileArchives

// Makes every write of this process past the limit fail (EFBIG) while it lives: a file system
// running out of space, without needing one. Writes from any thread are affected.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// A small tmpfs mounted on a folder while it lives; mounting needs root.
class SmallTmpfs {
public:
    SmallTmpfs(const QString &folder, qint64 bytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;
    bool isMounted() const { return mounted_; }

private:
    QString folder_;
    bool mounted_ = false;
};
