#include "archive/RarVolumes.h"

#include <QRegularExpression>

QString RarVolumes::firstVolumeName(const QString &path) {
    static const QRegularExpression numbered(QStringLiteral("^(.*\\.part)(\\d+)(\\.rar)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = numbered.match(path);
    if (!match.hasMatch())
        return path;
    return match.captured(1) + QStringLiteral("1").rightJustified(match.captured(2).size(), '0') +
           match.captured(3);
}
