#include "util/UserDefaults.h"

namespace UserDefaults {

std::unique_ptr<QSettings> open() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Kist"), QStringLiteral("Kist"));
}

void reset() {
    open()->sync();
}

} // namespace UserDefaults
