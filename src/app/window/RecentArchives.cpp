#include "app/window/RecentArchives.h"

#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

#include <QFileInfo>

namespace {

QStringList stored() {
    return UserDefaults::open()->value(QLatin1String(SettingsKeys::kRecentArchives)).toStringList();
}

void store(const QStringList &paths) {
    UserDefaults::open()->setValue(QLatin1String(SettingsKeys::kRecentArchives), paths);
    UserDefaults::reset();
}

} // namespace

QStringList RecentArchives::paths() {
    QStringList existing;
    for (const QString &path : stored()) {
        if (QFileInfo(path).isFile())
            existing.append(path);
    }
    return existing;
}

void RecentArchives::add(const QString &path) {
    QStringList paths = stored();
    paths.removeAll(path);
    paths.prepend(path);
    store(paths.mid(0, kLimit));
}

void RecentArchives::clear() {
    store({});
}
