#pragma once

#include <QSettings>
#include <memory>

// The user's settings store: an INI file of organisation and application "Kist" under the
// user's config folder. Every call makes a fresh QSettings, so any thread may use it; changes
// are written out when the returned object goes away.
namespace SettingsStore {
std::unique_ptr<QSettings> open();
} // namespace SettingsStore
