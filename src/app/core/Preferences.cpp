#include "app/core/Preferences.h"

#include "util/SettingsKeys.h"
#include "util/UserDefaults.h"

namespace {

bool readFlag(const char *key, bool defaultValue) {
    const QVariant stored = UserDefaults::open()->value(QLatin1String(key));
    return stored.isValid() ? stored.toBool() : defaultValue;
}

void saveFlag(const char *key, bool value) {
    UserDefaults::open()->setValue(QLatin1String(key), value);
    UserDefaults::reset();
}

} // namespace

bool Preferences::getISExitAfterCloseLastWindowValue() {
    return readFlag(SettingsKeys::kIsExitAfterCloseLastWindow, true);
}

void Preferences::saveISExitAfterCloseLastWindowValue(bool value) {
    saveFlag(SettingsKeys::kIsExitAfterCloseLastWindow, value);
}

bool Preferences::getIsCloseWindowExtractByAppValue() {
    return readFlag(SettingsKeys::kIsCloseWindowExtractByApp, true);
}

void Preferences::savegetIsCloseWindowExtractByAppValue(bool value) {
    saveFlag(SettingsKeys::kIsCloseWindowExtractByApp, value);
}

bool Preferences::getISAutoExtractFileArchiveValue() {
    return readFlag(SettingsKeys::kIsAutoExtractFileArchive, false);
}

void Preferences::saveISAutoExtractFileArchive(bool value) {
    saveFlag(SettingsKeys::kIsAutoExtractFileArchive, value);
}

bool Preferences::getISIgnoreHiddenFileWhileArchive() {
    return readFlag(SettingsKeys::kIgnoreHiddenFileWhileArchive, false);
}

void Preferences::saveISIgnoreHiddenFileWhileArchive(bool value) {
    saveFlag(SettingsKeys::kIgnoreHiddenFileWhileArchive, value);
}
