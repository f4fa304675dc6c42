#pragma once

#include <QSet>
#include <QString>

#include <optional>

// The archive formats Kist reads; the extension of a path picks one.
enum class ArchiveKind { Zip, Rar, GZip, Tar, BZip2, SevenZip };

// Classification of files by their last extension, case-insensitive. The archive sets here are
// the only definition: the document and the command-line tool choose their readers through them.
class FileKinds {
public:
    static const QSet<QString> &zipExtensions();
    static const QSet<QString> &rarExtensions();
    static const QSet<QString> &gzipExtensions();
    static const QSet<QString> &tarExtensions();
    static const QSet<QString> &bzip2Extensions();
    static const QSet<QString> &sevenZipExtensions();
    static const QSet<QString> &archiveExtension();
    static const QSet<QString> &imageExtension();
    static const QSet<QString> &textExtension();
    static const QSet<QString> &webExtension();
    static const QSet<QString> &documentExtension();
    static const QSet<QString> &mediasExtension();
    static const QSet<QString> &ffmpegExtension();
    static const QSet<QString> &musicTypesExtension();
    static const QSet<QString> &execType();
    static const QSet<QString> &imageMimeType();
    // Icon file for the extensions shown with a generic media icon; empty when none.
    static QString directlyDisplayType(const QString &extension);

    static bool isZip(const QString &path);
    static bool isRar(const QString &path);
    static bool isGZ(const QString &path);
    static bool isTar(const QString &path);
    static bool isBZ2(const QString &path);
    static bool is7Z(const QString &path);
    static bool isArchive(const QString &path);
    static bool isPicture(const QString &path);
    static bool isText(const QString &path);
    static bool isDocumentView(const QString &path);
    static bool isMoveMedia(const QString &path);
    static bool isFFMPEGMedia(const QString &path);
    static bool isMusicMedia(const QString &path);
    // Takes an extension, unchanged: only lower-case extensions match.
    static bool isSystemPreviewByExtension(const QString &extension);

    // The format that reads the path, or none when its extension names no archive.
    static std::optional<ArchiveKind> archiveKind(const QString &path);
    // The short format name: "zip", "rar", "gzip", "tar", "bzip2", "7z".
    static QString kindName(ArchiveKind kind);

private:
    static bool matches(const QSet<QString> &set, const QString &path);
};
