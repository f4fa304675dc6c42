#pragma once

#include <QString>

// Small text helpers.
namespace StringUtil {

// The text without every leading and every trailing repetition of piece.
QString trim(const QString &text, const QString &piece);
QString trimLeft(const QString &text, const QString &piece);
QString trimRight(const QString &text, const QString &piece);
// The text after the first match of the marker; empty when the text is null or the marker is
// not found.
QString textAfter(const QString &text, const QString &marker,
                  Qt::CaseSensitivity cs = Qt::CaseSensitive);
// A byte count for people: "0", "512B", "1.0K", "1.00M", "1.000G" (powers of 1024).
QString formatSize(quint64 count);
// The text, or when it is long its first and last 60 characters around an ellipsis: a name
// thousands of folders deep would bury the message that names it.
QString shortened(const QString &text);
// A new random UUID: 36 upper-case hexadecimal characters in groups of 8-4-4-4-12.
QString newUuid();

} // namespace StringUtil
