#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The formats Kist writes.
enum class WriteFormat { Zip, Tar, TarGz, TarBz2, TarXz, TarZst, SevenZip };

// The one table of the writable formats: their names (as kist-cli's --format takes them), the
// extension a new archive gets, and the other extensions that name them ("tgz").
namespace WriteFormats {

// Every format, zip first.
QList<WriteFormat> all();
// The name: "zip", "tar", "tar.gz", "tar.bz2", "tar.xz", "tar.zst", "7z".
QString name(WriteFormat format);
// The names of all formats, separated by ", ".
QString nameList();
// The extension of a new archive, without the dot; the same text as the name.
QString extension(WriteFormat format);
// The format of that name, case-insensitively; none for any other text.
std::optional<WriteFormat> fromName(const QString &name);
// The format whose extension (or other extension) ends the file name, case-insensitively, the
// longest match winning ("a.tar.gz" is tar.gz, not gzip); none when no writable extension does.
std::optional<WriteFormat> fromFileName(const QString &fileName);
// The extension of that format (or another of its extensions) that ends the file name, as it is
// written there ("TGZ" of "x.TGZ"); empty when none does.
QString extensionIn(const QString &fileName, WriteFormat format);

} // namespace WriteFormats
