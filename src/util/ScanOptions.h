#pragma once

#include <optional>

// What scanning and archiving leave out: with ignoresHiddenFiles, items whose name begins with
// "." inside folders. Built from the "ISIgnoreHiddenFileWhileArchive" preference.
struct ScanOptions {
    bool ignoresHiddenFiles = false;

    static ScanOptions instance(bool ignoresHiddenFiles) { return ScanOptions{ignoresHiddenFiles}; }
    // None leaves nothing out.
    static bool ignoresHidden(const std::optional<ScanOptions> &options) {
        return options && options->ignoresHiddenFiles;
    }
};
