#include "zip/WriteFormats.h"

namespace WriteFormats {

namespace {

struct Row {
    WriteFormat format;
    // The name and the extension of a new archive.
    const char *name;
    // Other extensions that name the format, space separated.
    const char *aliases;
};

constexpr Row kTable[] = {
    {WriteFormat::Zip, "zip", ""},         {WriteFormat::Tar, "tar", ""},
    {WriteFormat::TarGz, "tar.gz", "tgz"}, {WriteFormat::TarBz2, "tar.bz2", "tbz2 tbz"},
    {WriteFormat::TarXz, "tar.xz", "txz"}, {WriteFormat::TarZst, "tar.zst", "tzst"},
    {WriteFormat::SevenZip, "7z", ""},
};

const Row &rowOf(WriteFormat format) {
    for (const Row &row : kTable) {
        if (row.format == format)
            return row;
    }
    return kTable[0];
}

// The longest writable extension (of the one format, when given) that ends the name, with its
// format and its length with the dot.
std::optional<std::pair<WriteFormat, qsizetype>>
matchedExtension(const QString &fileName, std::optional<WriteFormat> only = std::nullopt) {
    std::optional<std::pair<WriteFormat, qsizetype>> best;
    for (const Row &row : kTable) {
        if (only && row.format != *only)
            continue;
        QStringList extensions =
            QString::fromLatin1(row.aliases).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        extensions.append(QString::fromLatin1(row.name));
        for (const QString &extension : extensions) {
            const QString suffix = QLatin1Char('.') + extension;
            // A name that is nothing but the extension (".7z") names no archive of it.
            if (fileName.size() > suffix.size() && fileName.endsWith(suffix, Qt::CaseInsensitive) &&
                (!best || suffix.size() > best->second))
                best = std::make_pair(row.format, suffix.size());
        }
    }
    return best;
}

} // namespace

QList<WriteFormat> all() {
    QList<WriteFormat> formats;
    for (const Row &row : kTable)
        formats.append(row.format);
    return formats;
}

QString name(WriteFormat format) {
    return QString::fromLatin1(rowOf(format).name);
}

QString nameList() {
    QStringList names;
    for (const Row &row : kTable)
        names.append(QString::fromLatin1(row.name));
    return names.join(QStringLiteral(", "));
}

QString extension(WriteFormat format) {
    return name(format);
}

std::optional<WriteFormat> fromName(const QString &text) {
    for (const Row &row : kTable) {
        if (text.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return row.format;
    }
    return std::nullopt;
}

std::optional<WriteFormat> fromFileName(const QString &fileName) {
    const auto matched = matchedExtension(fileName);
    if (!matched)
        return std::nullopt;
    return matched->first;
}

QString extensionIn(const QString &fileName, WriteFormat format) {
    const auto matched = matchedExtension(fileName, format);
    return matched ? fileName.right(matched->second - 1) : QString();
}

} // namespace WriteFormats
