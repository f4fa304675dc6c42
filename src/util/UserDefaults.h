#pragma once

#include <QSettings>
#include <memory>

// The user's settings store: an INI file of organisation and application "Kist" under the
// user's config folder. Every call makes a fresh QSettings, so any thread may use it.
namespace UserDefaults {
std::unique_ptr<QSettings> open();
// Writes pending changes out so the next reader starts from the stored state.
void reset();
} // namespace UserDefaults
