#include "settings/RememberedEncodings.h"

#include "encoding/EncodingItem.h"
#include "encoding/EncodingUtil.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

#include <QFileInfo>
#include <QVariantMap>

namespace {

QVariantMap storedHistory() {
    return SettingsStore::open()->value(SettingsKeys::kSystemEncodingHistory).toMap();
}

void storeHistory(const QVariantMap &history) {
    SettingsStore::open()->setValue(SettingsKeys::kSystemEncodingHistory, history);
}

} // namespace

void RememberedEncodings::remember(const QString &path, const QString &name) {
    QVariantMap history = storedHistory();
    history.insert(path, name);
    storeHistory(history);
}

std::optional<QString> RememberedEncodings::nameFor(const QString &path) {
    const QVariantMap history = storedHistory();
    const auto found = history.constFind(path);
    if (found == history.constEnd())
        return std::nullopt;
    return found->toString();
}

StringEncoding RememberedEncodings::encodingFor(const QString &path) {
    const std::optional<QString> name = nameFor(path);
    if (!name || name->isEmpty() || *name == QLatin1String(EncodingItem::kAutomaticName))
        return kAutomaticEncoding;
    return EncodingUtil::encodingForName(*name);
}

bool RememberedEncodings::prune() {
    const QVariantMap stored = storedHistory();
    QVariantMap kept = stored;
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        if (!QFileInfo::exists(it.key()))
            kept.remove(it.key());
    }
    if (kept.size() == stored.size())
        return false;
    storeHistory(kept);
    return true;
}
