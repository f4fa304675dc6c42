#pragma once

#include <QByteArray>
#include <QString>

// A look at a RAR5 archive's main header before the RAR library reads it. The library (6.2.6)
// crashes on some main headers that are well formed as far as their sizes go.
namespace RarMainHeader {

// True when a RAR5 main header near the start (after an optional self-extractor stub, or after
// another signature) holds a metadata record naming the archive with a name of length 0, which
// makes the library read before its buffer.
bool hasEmptyArchiveName(const QString &path);

} // namespace RarMainHeader
