#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Guesses the charset of bytes that declare none, with ICU's charset detector. A candidate
// list holds charset names best first, in ICU's order; none means ICU matched nothing, which
// is not the same as an empty list. Stateless; any thread may call it at any time.
namespace CharsetDetector {

// Every charset ICU reports for the bytes, in its order, with no confidence threshold.
std::optional<QStringList> candidates(const char *bytes, quint64 length);
std::optional<QStringList> candidates(const QByteArray &data);

// The input decoded by the first candidate that takes it whole; when ICU matched nothing,
// UTF-8 alone is tried. None when nothing decodes.
std::optional<QString> decode(const QByteArray &data);
// The bytes up to the first NUL, or all of them when there is none.
std::optional<QString> decodeCString(const char *bytes, qsizetype length);

} // namespace CharsetDetector
