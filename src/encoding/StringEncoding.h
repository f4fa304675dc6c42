#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// A text encoding as one number, the way settings, readers and the pop-up pass it around.
using StringEncoding = quint64;

// UTF-8: the answer for every unknown or missing charset name.
inline constexpr StringEncoding kUTF8StringEncoding = 4;
// No explicit encoding ("Automatic": detect it); also the answer for an unknown name.
inline constexpr StringEncoding kAutomaticEncoding = 0xFFFFFFFF;

// The registry of the encodings ICU can convert and that carry an IANA name. Numbers are the
// same in every run and with every ICU version: UTF-8 is 4 and every other encoding gets a
// number made from its IANA name. Every function may be called from any thread at once.
namespace StringEncodings {
// The encoding of an IANA name or any ICU alias of it, compared without regard to case;
// kAutomaticEncoding when the name is empty or names no offered encoding.
StringEncoding fromIANAName(const QString &name);
// The IANA name of the encoding; none for a number that names no offered encoding.
std::optional<QString> ianaName(StringEncoding encoding);
// A human name such as "Western (Windows Latin 1)"; empty for encodings without one.
QString displayName(StringEncoding encoding);
// The bytes as text, or none when any byte is invalid or unmappable in the encoding (never a
// lossy result) or the encoding is not offered. No bytes give "".
std::optional<QString> decode(const char *bytes, qsizetype length, StringEncoding encoding);
// Every offered encoding, once each, in ICU's converter order.
QList<StringEncoding> availableEncodings();
} // namespace StringEncodings
