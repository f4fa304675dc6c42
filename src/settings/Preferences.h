#pragma once

// The four yes/no settings, read from the store at every use so a change is seen at once.
// Callable from any thread.
class Preferences {
public:
    static bool exitAfterLastWindow();
    static void setExitAfterLastWindow(bool value);
    static bool closeAfterExtract();
    static void setCloseAfterExtract(bool value);
    static bool autoExtractOnOpen();
    static void setAutoExtractOnOpen(bool value);
    static bool ignoreHiddenFiles();
    static void setIgnoreHiddenFiles(bool value);
};
