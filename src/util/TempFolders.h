#pragma once

#include <QString>

// Where Kist keeps temporary data: one root folder under the system's temporary folder, and in
// it a fresh folder for each piece of work.
namespace TempFolders {

// The root of every temporary folder Kist makes: the system's temporary folder joined with the
// application's identifier.
QString root();
// A new, created folder under the root named by a fresh UUID.
QString newItemFolder();

} // namespace TempFolders
