#pragma once

#include <QString>

namespace AppIdentity {
// The application's identifier, which also names its temporary folder.
inline QString bundleId() {
    return QStringLiteral("org.kist.Kist");
}
} // namespace AppIdentity
