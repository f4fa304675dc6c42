#include "util/Localization.h"

#include <QCoreApplication>

QString BasicLocalizedString(const char *key) {
    return QCoreApplication::translate("Basic", key);
}
