#pragma once

#include <QTemporaryDir>

// Points the process at a private config folder and temp folder inside the sandbox, so no test
// touches the user's real settings or leaves files in the shared temp folder. False when the
// sandbox could not be made.
bool enterTestSandbox(const QTemporaryDir &sandbox);
