#include "util/Localization.h"

#include <QCoreApplication>

namespace EngineText {

QString tr(const char *key) {
    return QCoreApplication::translate("EngineText", key);
}

} // namespace EngineText
