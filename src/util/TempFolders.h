#pragma once

#include <QString>

// Where Kist keeps temporary data. Each process has private folders of its own (made by mkdtemp,
// mode 0700, never shared with another process or user): one for small, short-lived data under
// $XDG_RUNTIME_DIR (else the system's temporary folder), one for large data such as decompressed
// tars in the user's cache folder on disk ($XDG_CACHE_HOME/kist, else ~/.cache/kist), so that a
// small /tmp never limits what can be extracted. Each folder holds a lock file the process keeps
// locked while it lives: a folder whose lock can be taken belongs to a process that is gone.
namespace TempFolders {

// The process's private folder for small data, made on first use (again after removeOwn).
QString root();
// A new, created folder under root() named by a fresh UUID.
QString newItemFolder();
// A new, created folder for large data in the process's private cache folder; under root()
// when the cache folder cannot be made.
QString newLargeItemFolder();
// Removes the process's own folders and everything in them (at quit).
void removeOwn();
// Removes the folders that runs of this user left behind when their process is gone (a crash,
// a kill); the folders of live processes and of other users are never touched.
void removeLeftovers();

} // namespace TempFolders
