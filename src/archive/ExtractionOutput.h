#pragma once

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

#include <sys/types.h>

// Writes the regular files of an extraction below its destination, one at a time, through the
// open descriptor: the parent folders are checked (and made) once per destination, a file never
// goes through a link planted at its path, and the restored permission and the date are set on
// the open file. Costs a handful of system calls per file, so thousands of small files extract
// at the disk's pace. Not shared between threads: each extraction thread has its own.
class ExtractionOutput {
public:
    ExtractionOutput() = default;
    ~ExtractionOutput();
    ExtractionOutput(const ExtractionOutput &) = delete;
    ExtractionOutput &operator=(const ExtractionOutput &) = delete;

    // Creates the file at fullPath, a path below destination, with its missing folders; an
    // existing file is truncated, a link standing there replaced. False when the file may not
    // lie there or cannot be made.
    bool create(const QString &destination, const QString &fullPath);
    bool write(const char *data, qint64 length);
    // Moves the open file's write position: the bytes skipped become a hole, as in the sparse
    // file the archive stores.
    bool seek(qint64 position);
    // Sets the open file's size, for a sparse file that ends in a hole.
    bool resize(qint64 size);
    // Gives the open file the permission restored from the stored mode and, when one is given,
    // the date, then closes it. False, with the file removed, when the permission could not be
    // set or the data not be flushed.
    bool finish(mode_t storedMode, const std::optional<QDateTime> &date);
    // Closes the open file and removes it: its data proved bad.
    void discard();
    // Closes the open file as it stands (a cancelled one, removed with the staging folder).
    void close();

    // Makes a folder and its parents below the destination, as SafePath::makeFolders, and
    // remembers it for the files that follow.
    bool makeFolders(const QString &destination, const QString &folder);

    enum class LinkResult { Made, LeftOut, Failed };
    // Makes a symbolic link at fullPath, below destination, when its target read from the link's
    // folder stays inside the destination (LeftOut, nothing made, for an absolute or escaping
    // one). A link standing at the path is replaced; a folder or file never is. The link keeps
    // no mode (chmod would act on its target) and gets the date when one is given.
    LinkResult createLink(const QString &destination, const QString &fullPath,
                          const QString &target, const std::optional<QDateTime> &date);
    // True when a link at fullPath with that target would stay inside the destination.
    static bool linkStaysInside(const QString &destination, const QString &fullPath,
                                const QString &target);
    // True for a stored mode naming a device, pipe or socket: never made from an archive.
    static bool isSpecialFile(mode_t storedMode);

private:
    mode_t restoredPermission(mode_t stored);

    int fd_ = -1;
    QByteArray openPath_;
    QString knownDestination_;
    // Folders already made or found to be real folders below knownDestination. Nothing the
    // extraction writes can turn one into a link: files and links never replace a folder.
    QSet<QString> knownFolders_;
    // Finding the umask reads a file; archives use few distinct modes. Kept per destination
    // like the folders.
    QHash<mode_t, mode_t> permissions_;
};
