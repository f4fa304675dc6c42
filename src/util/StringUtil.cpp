#include "util/StringUtil.h"

#include <QUuid>

namespace StringUtil {

QString trimLeft(const QString &text, const QString &s) {
    if (s.isEmpty())
        return text;
    QString result = text;
    while (result.startsWith(s))
        result.remove(0, s.size());
    return result;
}

QString trimRight(const QString &text, const QString &s) {
    if (s.isEmpty() || s.size() > text.size())
        return text;
    QString result = text;
    while (result.endsWith(s))
        result.chop(s.size());
    return result;
}

QString trim(const QString &text, const QString &s) {
    return trimRight(trimLeft(text, s), s);
}

} // namespace StringUtil

namespace StringUtil {

QString textAfter(const QString &text, const QString &marker, int options) {
    if (text.isNull())
        return QStringLiteral("");
    const Qt::CaseSensitivity cs =
        (options & CaseInsensitiveSearch) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const qsizetype at = (options & BackwardsSearch) ? text.lastIndexOf(marker, -1, cs)
                                                     : text.indexOf(marker, 0, cs);
    if (marker.isEmpty() || at < 0)
        return QStringLiteral("");
    return text.mid(at + marker.size());
}

QString orEmpty(const QString &text) {
    return text.isNull() ? QStringLiteral("") : text;
}

QString newUuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace StringUtil
