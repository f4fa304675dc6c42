#pragma once

#include <QString>

// Texts of the archive engine, which has no QObject to call tr() on. The English text is the key;
// one without translation yields itself. Spelled Engine::tr so that lupdate collects them.
namespace Engine {

QString tr(const char *key);

} // namespace Engine
