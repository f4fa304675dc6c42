#pragma once

#include <optional>

// What scanning and archiving leave out: with isIgnoreHiddenFile, items whose name begins with
// "." inside folders. Built from the "ISIgnoreHiddenFileWhileArchive" preference.
struct FilePropertyOptions {
    bool isIgnoreHiddenFile = false;

    static FilePropertyOptions instance(bool isIgnoreHiddenFile) {
        return FilePropertyOptions{isIgnoreHiddenFile};
    }
    // None leaves nothing out.
    static bool ignoresHidden(const std::optional<FilePropertyOptions> &options) {
        return options && options->isIgnoreHiddenFile;
    }
};
