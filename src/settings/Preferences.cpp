#include "settings/Preferences.h"

#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

namespace {

bool readFlag(const char *key, bool defaultValue) {
    const QVariant stored = SettingsStore::open()->value(QLatin1String(key));
    return stored.isValid() ? stored.toBool() : defaultValue;
}

void saveFlag(const char *key, bool value) {
    SettingsStore::open()->setValue(QLatin1String(key), value);
}

} // namespace

bool Preferences::exitAfterLastWindow() {
    return readFlag(SettingsKeys::kIsExitAfterCloseLastWindow, true);
}

void Preferences::setExitAfterLastWindow(bool value) {
    saveFlag(SettingsKeys::kIsExitAfterCloseLastWindow, value);
}

bool Preferences::closeAfterExtract() {
    return readFlag(SettingsKeys::kIsCloseWindowExtractByApp, true);
}

void Preferences::setCloseAfterExtract(bool value) {
    saveFlag(SettingsKeys::kIsCloseWindowExtractByApp, value);
}

bool Preferences::autoExtractOnOpen() {
    return readFlag(SettingsKeys::kIsAutoExtractFileArchive, false);
}

void Preferences::setAutoExtractOnOpen(bool value) {
    saveFlag(SettingsKeys::kIsAutoExtractFileArchive, value);
}

bool Preferences::ignoreHiddenFiles() {
    return readFlag(SettingsKeys::kIgnoreHiddenFileWhileArchive, false);
}

void Preferences::setIgnoreHiddenFiles(bool value) {
    saveFlag(SettingsKeys::kIgnoreHiddenFileWhileArchive, value);
}
