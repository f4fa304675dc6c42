#include "settings/SettingsStore.h"

namespace SettingsStore {

std::unique_ptr<QSettings> open() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Kist"), QStringLiteral("Kist"));
}

} // namespace SettingsStore
