#pragma once

#include <QString>

// Texts of the archive engine, which has no QObject to call tr() on. The English text is the key;
// one without translation yields itself. Spelled EngineText::tr so that lupdate collects them.
namespace EngineText {

QString tr(const char *key);

} // namespace EngineText
