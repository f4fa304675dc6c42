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

const Row *find(const QString &path, Use use) {
    const QString extension = PathUtil::extension(path).toLower();
    for (const Row &row : kTable) {
        if (row.use == use && extension == QLatin1String(row.extension))
            return &row;
    }
    return nullptr;
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
