#include "util/FileKinds.h"

#include "util/FileUtil.h"

#include <QHash>

namespace {
QSet<QString> setOf(std::initializer_list<const char *> members) {
    QSet<QString> set;
    for (const char *member : members)
        set.insert(QString::fromLatin1(member));
    return set;
}
} // namespace

const QSet<QString> &FileKinds::zipExtensions() {
    static const QSet<QString> set = setOf({"zip", "cbz"});
    return set;
}

const QSet<QString> &FileKinds::rarExtensions() {
    static const QSet<QString> set = setOf({"rar", "cbr"});
    return set;
}

const QSet<QString> &FileKinds::gzipExtensions() {
    static const QSet<QString> set = setOf({"gz", "tgz", "gzip"});
    return set;
}

const QSet<QString> &FileKinds::tarExtensions() {
    static const QSet<QString> set = setOf({"tar"});
    return set;
}

const QSet<QString> &FileKinds::bzip2Extensions() {
    static const QSet<QString> set = setOf({"bz", "bz2", "tbz", "tbz2"});
    return set;
}

const QSet<QString> &FileKinds::sevenZipExtensions() {
    static const QSet<QString> set = setOf({"7z"});
    return set;
}

const QSet<QString> &FileKinds::archiveExtension() {
    static const QSet<QString> set = zipExtensions() + rarExtensions() + gzipExtensions() +
                                     tarExtensions() + bzip2Extensions() + sevenZipExtensions();
    return set;
}

const QSet<QString> &FileKinds::imageExtension() {
    static const QSet<QString> set =
        setOf({"bmp", "png", "gif", "jpeg", "jpg", "tiff", "tif", "ico"});
    return set;
}

const QSet<QString> &FileKinds::textExtension() {
    static const QSet<QString> set = setOf(
        {"txt",  "html", "htm",    "xhtml", "css",  "asp",     "aspx",      "cs",    "vb",
         "xml",  "js",   "php",    "c",     "h",    "m",       "mm",        "cpp",   "strings",
         "rtf",  "sql",  "config", "py",    "java", "project", "classpath", "build", "csproj",
         "sln",  "resx", "xslt",   "xsl",   "lrc",  "pch",     "tiff",      "sh",    "in",
         "m4",   "am",   "log",    "ini",   "asm",  "rb",      "xib",       "pl",    "asax",
         "asmx", "ashx", "pm",     "hpp",   "s",    "v",       "md",        "master"});
    return set;
}

const QSet<QString> &FileKinds::webExtension() {
    static const QSet<QString> set = setOf({"html", "htm", "xhtml"});
    return set;
}

const QSet<QString> &FileKinds::documentExtension() {
    static const QSet<QString> set =
        setOf({"docx", "xlsx", "pptx", "ppt", "xls", "doc", "csv", "rtf"});
    return set;
}

const QSet<QString> &FileKinds::mediasExtension() {
    static const QSet<QString> set =
        setOf({"mp4", "mp3", "m4a", "aac", "wav", "m4v", "mov", "3gp", "m4r", "caf", "aif"});
    return set;
}

const QSet<QString> &FileKinds::ffmpegExtension() {
    static const QSet<QString> set =
        setOf({"mp4", "flv", "avi", "mpg", "rmvb", "asf", "wmv", "3gp", "mkv", "wma", "hlv", "rm"});
    return set;
}

const QSet<QString> &FileKinds::musicTypesExtension() {
    static const QSet<QString> set = setOf({"wav", "mp3", "aac", "m4a"});
    return set;
}

const QSet<QString> &FileKinds::execType() {
    static const QSet<QString> set = setOf({"exe", "dmg", "pkg", "app"});
    return set;
}

const QSet<QString> &FileKinds::imageMimeType() {
    static const QSet<QString> set = setOf({"image/bmp", "image/png", "image/gif", "image/jpeg",
                                            "image/tiff", "image/vnd.microsoft.icon"});
    return set;
}

QString FileKinds::directlyDisplayType(const QString &extension) {
    static const QHash<QString, QString> icons = {
        {QStringLiteral("3gp"), QStringLiteral("video.png")},
        {QStringLiteral("dat"), QStringLiteral("video.png")},
        {QStringLiteral("rm"), QStringLiteral("video.png")},
        {QStringLiteral("hlv"), QStringLiteral("video.png")},
        {QStringLiteral("wav"), QStringLiteral("audio.png")},
        {QStringLiteral("caf"), QStringLiteral("audio.png")},
        {QStringLiteral("wma"), QStringLiteral("audio.png")},
        {QStringLiteral("aif"), QStringLiteral("audio.png")},
    };
    return icons.value(extension);
}

bool FileKinds::matches(const QSet<QString> &set, const QString &path) {
    return set.contains(FileUtil::extension(path).toLower());
}

bool FileKinds::isZip(const QString &path) {
    return matches(zipExtensions(), path);
}
bool FileKinds::isRar(const QString &path) {
    return matches(rarExtensions(), path);
}
bool FileKinds::isGZ(const QString &path) {
    return matches(gzipExtensions(), path);
}
bool FileKinds::isTar(const QString &path) {
    return matches(tarExtensions(), path);
}
bool FileKinds::isBZ2(const QString &path) {
    return matches(bzip2Extensions(), path);
}
bool FileKinds::is7Z(const QString &path) {
    return matches(sevenZipExtensions(), path);
}
bool FileKinds::isArchive(const QString &path) {
    return matches(archiveExtension(), path);
}
bool FileKinds::isPicture(const QString &path) {
    return matches(imageExtension(), path);
}
bool FileKinds::isText(const QString &path) {
    return matches(textExtension(), path);
}
bool FileKinds::isDocumentView(const QString &path) {
    return matches(documentExtension(), path);
}
bool FileKinds::isMoveMedia(const QString &path) {
    return matches(mediasExtension(), path);
}
bool FileKinds::isFFMPEGMedia(const QString &path) {
    return matches(ffmpegExtension(), path);
}
bool FileKinds::isMusicMedia(const QString &path) {
    return matches(musicTypesExtension(), path);
}

bool FileKinds::isSystemPreviewByExtension(const QString &extension) {
    return imageExtension().contains(extension);
}

std::optional<ArchiveKind> FileKinds::archiveKind(const QString &path) {
    if (isZip(path))
        return ArchiveKind::Zip;
    if (isRar(path))
        return ArchiveKind::Rar;
    if (isGZ(path))
        return ArchiveKind::GZip;
    if (isTar(path))
        return ArchiveKind::Tar;
    if (isBZ2(path))
        return ArchiveKind::BZip2;
    if (is7Z(path))
        return ArchiveKind::SevenZip;
    return std::nullopt;
}

QString FileKinds::kindName(ArchiveKind kind) {
    switch (kind) {
    case ArchiveKind::Zip:
        return QStringLiteral("zip");
    case ArchiveKind::Rar:
        return QStringLiteral("rar");
    case ArchiveKind::GZip:
        return QStringLiteral("gzip");
    case ArchiveKind::Tar:
        return QStringLiteral("tar");
    case ArchiveKind::BZip2:
        return QStringLiteral("bzip2");
    case ArchiveKind::SevenZip:
        return QStringLiteral("7z");
    }
    return {};
}
