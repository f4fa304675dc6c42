#include "settings/RecentArchives.h"

#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

#include <QFileInfo>

namespace {

QStringList stored() {
    return SettingsStore::open()
        ->value(QLatin1String(SettingsKeys::kRecentArchives))
        .toStringList();
}

void store(const QStringList &paths) {
    SettingsStore::open()->setValue(QLatin1String(SettingsKeys::kRecentArchives), paths);
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
