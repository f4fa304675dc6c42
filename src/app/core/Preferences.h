#pragma once

// The four yes/no settings, read from the store at every use so a change is seen at once.
// Callable from any thread.
class Preferences {
public:
    static bool getISExitAfterCloseLastWindowValue();
    static void saveISExitAfterCloseLastWindowValue(bool value);
    static bool getIsCloseWindowExtractByAppValue();
    static void savegetIsCloseWindowExtractByAppValue(bool value);
    static bool getISAutoExtractFileArchiveValue();
    static void saveISAutoExtractFileArchive(bool value);
    static bool getISIgnoreHiddenFileWhileArchive();
    static void saveISIgnoreHiddenFileWhileArchive(bool value);
};
