#pragma once

#include <QIcon>

// The application's icons: the desktop theme's where it has them, else the ones bundled with
// Kist, so that a bare window manager shows every icon too.
namespace Icons {

// The theme's icon of the name, else the bundled icon of the other name; either may be null.
QIcon themed(const char *themeName, const char *bundledName);
// The icon bundled under the name (":/icons/<name>.svg").
QIcon bundled(const QString &name);

} // namespace Icons
