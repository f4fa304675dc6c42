#include "util/StringUtil.h"

#include <QUuid>

namespace StringUtil {

QString trimLeft(const QString &text, const QString &piece) {
    if (piece.isEmpty())
        return text;
    QString result = text;
    while (result.startsWith(piece))
        result.remove(0, piece.size());
    return result;
}

QString trimRight(const QString &text, const QString &piece) {
    if (piece.isEmpty())
        return text;
    QString result = text;
    while (result.endsWith(piece))
        result.chop(piece.size());
    return result;
}

QString trim(const QString &text, const QString &piece) {
    return trimRight(trimLeft(text, piece), piece);
}

QString textAfter(const QString &text, const QString &marker, Qt::CaseSensitivity cs) {
    const qsizetype at = text.indexOf(marker, 0, cs);
    if (text.isNull() || marker.isEmpty() || at < 0)
        return QStringLiteral("");
    return text.mid(at + marker.size());
}

QString shortened(const QString &text) {
    constexpr qsizetype kEnds = 60;
    if (text.size() <= 3 * kEnds)
        return text;
    return text.left(kEnds) + QChar(0x2026) + text.right(kEnds);
}

QString formatSize(quint64 count) {
    const double value = static_cast<double>(count);
    if (count == 0)
        return QStringLiteral("0");
    if (value < 1024.0)
        return QStringLiteral("%1B").arg(count);
    if (value < 1048576.0)
        return QString::asprintf("%.1fK", value * (1.0 / 1024.0));
    if (value < 1073741824.0)
        return QString::asprintf("%.2fM", value * (1.0 / 1048576.0));
    return QString::asprintf("%.3fG", value * (1.0 / 1073741824.0));
}

QString newUuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace StringUtil
