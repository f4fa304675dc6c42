#include "app/preview/Icons.h"

namespace Icons {

QIcon themed(const char *themeName, const char *bundledName) {
    const QIcon fallback = bundledName ? bundled(QLatin1String(bundledName)) : QIcon();
    return themeName ? QIcon::fromTheme(QLatin1String(themeName), fallback) : fallback;
}

QIcon bundled(const QString &name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

} // namespace Icons
