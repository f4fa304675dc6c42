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
