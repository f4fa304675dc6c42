#pragma once

#include <QString>

// Texts of the archive engine, looked up in the "Basic" translation context with the English
// text as the key; a key without translation yields itself.
QString engineText(const char *key);
