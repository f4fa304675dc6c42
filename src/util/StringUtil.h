#pragma once

#include <QString>

// Path-stripping helpers on strings.
namespace StringUtil {
// The text without every leading and every trailing repetition of s.
QString trim(const QString &text, const QString &s);
QString trimLeft(const QString &text, const QString &s);
QString trimRight(const QString &text, const QString &s);
} // namespace StringUtil

namespace StringUtil {
enum SearchOption { NoOptions = 0, CaseInsensitiveSearch = 1, BackwardsSearch = 4 };

// The text after the first match of the marker (the last one with BackwardsSearch);
// empty when the text is null or the marker is not found.
QString textAfter(const QString &text, const QString &marker, int options = NoOptions);
// The string, or "" for a null string.
QString orEmpty(const QString &text);
// A new random UUID: 36 upper-case hexadecimal characters in groups of 8-4-4-4-12.
QString newUuid();
} // namespace StringUtil
