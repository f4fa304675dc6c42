#pragma once

#include "encoding/EncodingItem.h"
#include "encoding/StringEncoding.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Decoding with candidate charsets, conversion between charset names and encoding numbers and
// the catalogue of offered encodings. Stateless.
namespace EncodingUtil {

// The candidate trial: each charset in order decodes the whole input strictly and the first
// that succeeds wins. None for no list, an empty list, or when every candidate fails; a
// charset name nobody knows is tried as UTF-8.
std::optional<QString> decodeWithCharsets(const std::optional<QStringList> &charsets,
                                          const QByteArray &data);
// The name of the winning charset, as it appears in the list, instead of the text.
std::optional<QString> detectCharset(const std::optional<QStringList> &charsets,
                                     const QByteArray &data);

// The encoding of a charset name; UTF-8 (4) for a null, empty or unknown name.
StringEncoding encodingForName(const QString &name);

// One item per offered encoding with an IANA name, in ICU's order. "Automatic" is not
// part of it; the pop-up puts it first.
QList<EncodingItem> catalogue();
// The catalogue sorted by shown name, case-sensitively.
QList<EncodingItem> catalogueSorted();

// The file's text in the encoding when that decodes it, else detected (kAutomaticEncoding
// detects at once): "" when the file cannot be read, none when no encoding decodes it.
std::optional<QString> readText(const QString &path, StringEncoding encoding);

} // namespace EncodingUtil
