#pragma once

#include "encoding/StringEncoding.h"

#include <QString>

#include <optional>

// The encoding the user chose for a file's names or text, remembered per path in the user's
// settings. Callable from any thread.
class RememberedEncodings {
public:
    RememberedEncodings() = delete;

    // Remembers the charset name (or "Automatic") for the file, replacing an earlier one.
    static void remember(const QString &path, const QString &name);
    // The name remembered for the file, as it was stored.
    static std::optional<QString> nameFor(const QString &path);
    // The encoding to read the file with; kAutomaticEncoding when it is to be detected.
    static StringEncoding encodingFor(const QString &path);
    // Forgets the choices of files that no longer exist; true when any was forgotten.
    static bool prune();
};
