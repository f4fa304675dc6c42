#include "util/FileKinds.h"

#include "util/PathUtil.h"

namespace FileKinds {

namespace {

enum class Use { Archive, Text, Picture };

struct Row {
    const char *extension;
    Use use;
    ArchiveKind archive;
};

constexpr Row archive(const char *extension, ArchiveKind kind) {
    return {extension, Use::Archive, kind};
}
constexpr Row text(const char *extension) {
    return {extension, Use::Text, {}};
}
constexpr Row picture(const char *extension) {
    return {extension, Use::Picture, {}};
}

// One row per extension and use; "tiff" is listed as text as well as picture.
constexpr Row kTable[] = {
    archive("zip", ArchiveKind::Zip),
    archive("cbz", ArchiveKind::Zip),
    archive("rar", ArchiveKind::Rar),
    archive("cbr", ArchiveKind::Rar),
    archive("gz", ArchiveKind::GZip),
    archive("gzip", ArchiveKind::GZip),
    archive("tgz", ArchiveKind::GZip),
    archive("tar", ArchiveKind::Tar),
    archive("bz2", ArchiveKind::BZip2),
    archive("bz", ArchiveKind::BZip2),
    archive("tbz", ArchiveKind::BZip2),
    archive("tbz2", ArchiveKind::BZip2),
    archive("7z", ArchiveKind::SevenZip),
    archive("cb7", ArchiveKind::SevenZip),
    archive("cbt", ArchiveKind::Tar),
    archive("xz", ArchiveKind::Xz),
    archive("txz", ArchiveKind::Xz),
    archive("tar.xz", ArchiveKind::Xz),
    archive("zst", ArchiveKind::Zstd),
    archive("tzst", ArchiveKind::Zstd),
    archive("tar.zst", ArchiveKind::Zstd),
    archive("lz4", ArchiveKind::Lz4),
    archive("tar.lz4", ArchiveKind::Lz4),
    archive("lzma", ArchiveKind::Lzma),
    archive("tlz", ArchiveKind::Lzma),
    archive("tar.lzma", ArchiveKind::Lzma),
    archive("lz", ArchiveKind::Lzip),
    archive("tar.lz", ArchiveKind::Lzip),
    archive("z", ArchiveKind::Compress),
    archive("taz", ArchiveKind::Compress),
    archive("tar.z", ArchiveKind::Compress),
    archive("iso", ArchiveKind::Iso9660),
    archive("cpio", ArchiveKind::Cpio),
    archive("ar", ArchiveKind::Ar),
    archive("deb", ArchiveKind::Ar),
    archive("rpm", ArchiveKind::Rpm),
    archive("cab", ArchiveKind::Cab),
    archive("lha", ArchiveKind::Lha),
    archive("lzh", ArchiveKind::Lha),

    picture("bmp"),
    picture("png"),
    picture("gif"),
    picture("jpeg"),
    picture("jpg"),
    picture("tiff"),
    picture("tif"),
    picture("ico"),

    text("txt"),
    text("html"),
    text("htm"),
    text("xhtml"),
    text("css"),
    text("asp"),
    text("aspx"),
    text("cs"),
    text("vb"),
    text("xml"),
    text("js"),
    text("php"),
    text("c"),
    text("h"),
    text("m"),
    text("mm"),
    text("cpp"),
    text("strings"),
    text("rtf"),
    text("sql"),
    text("config"),
    text("py"),
    text("java"),
    text("project"),
    text("classpath"),
    text("build"),
    text("csproj"),
    text("sln"),
    text("resx"),
    text("xslt"),
    text("xsl"),
    text("lrc"),
    text("pch"),
    text("tiff"),
    text("sh"),
    text("in"),
    text("m4"),
    text("am"),
    text("log"),
    text("ini"),
    text("asm"),
    text("rb"),
    text("xib"),
    text("pl"),
    text("asax"),
    text("asmx"),
    text("ashx"),
    text("pm"),
    text("hpp"),
    text("s"),
    text("v"),
    text("md"),
    text("master"),
};

// The row whose extension ends the file name, the longest one when several do ("tar.xz" over
// "xz").
const Row *find(const QString &path, Use use) {
    const QString name = PathUtil::fileName(path).toLower();
    const Row *found = nullptr;
    qsizetype foundLength = 0;
    for (const Row &row : kTable) {
        const QLatin1String extension(row.extension);
        if (row.use != use || extension.size() <= foundLength ||
            name.size() <= extension.size() + 1)
            continue;
        if (name.endsWith(extension) &&
            name.at(name.size() - extension.size() - 1) == QLatin1Char('.')) {
            found = &row;
            foundLength = extension.size();
        }
    }
    return found;
}

} // namespace

std::optional<ArchiveKind> archiveKind(const QString &path) {
    if (const Row *row = find(path, Use::Archive))
        return row->archive;
    return std::nullopt;
}

QString kindName(ArchiveKind kind) {
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
    case ArchiveKind::Xz:
        return QStringLiteral("xz");
    case ArchiveKind::Zstd:
        return QStringLiteral("zstd");
    case ArchiveKind::Lz4:
        return QStringLiteral("lz4");
    case ArchiveKind::Lzma:
        return QStringLiteral("lzma");
    case ArchiveKind::Lzip:
        return QStringLiteral("lzip");
    case ArchiveKind::Compress:
        return QStringLiteral("compress");
    case ArchiveKind::Iso9660:
        return QStringLiteral("iso9660");
    case ArchiveKind::Cpio:
        return QStringLiteral("cpio");
    case ArchiveKind::Ar:
        return QStringLiteral("ar");
    case ArchiveKind::Rpm:
        return QStringLiteral("rpm");
    case ArchiveKind::Cab:
        return QStringLiteral("cab");
    case ArchiveKind::Lha:
        return QStringLiteral("lha");
    }
    return {};
}

QStringList archiveExtensions() {
    QStringList extensions;
    for (const Row &row : kTable) {
        if (row.use == Use::Archive)
            extensions.append(QLatin1String(row.extension));
    }
    return extensions;
}

bool isArchive(const QString &path) {
    return find(path, Use::Archive) != nullptr;
}

bool isText(const QString &path) {
    return find(path, Use::Text) != nullptr;
}

bool isPicture(const QString &path) {
    return find(path, Use::Picture) != nullptr;
}

} // namespace FileKinds
