#include "util/Localization.h"

#include <QCoreApplication>

namespace Engine {

QString tr(const char *key) {
    return QCoreApplication::translate("Engine", key);
}

} // namespace Engine
