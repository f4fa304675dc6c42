#include "util/Localization.h"

#include <QCoreApplication>

QString engineText(const char *key) {
    return QCoreApplication::translate("Basic", key);
}
