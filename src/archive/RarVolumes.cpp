#include "archive/RarVolumes.h"

#include <QFileInfo>
#include <QRegularExpression>

QString RarVolumes::firstVolume(const QString &path) {
    static const QRegularExpression numbered(QStringLiteral("^(.*\\.part)(\\d+)(\\.rar)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = numbered.match(path);
    if (!match.hasMatch())
        return path;
    const QString first = match.captured(1) +
                          QStringLiteral("1").rightJustified(match.captured(2).size(), '0') +
                          match.captured(3);
    return QFileInfo(first).isFile() ? first : path;
}
