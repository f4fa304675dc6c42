#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Folders the user granted access to, remembered as bookmarks keyed by folder path. A bookmark
// records the folder's path, device and inode: it fails to resolve when the path is gone and is
// stale when another item now stands there.
class SandBoxUtils {
public:
    static bool isInSandBox();
    static std::optional<QByteArray> bookmarkForURL(const QString &path);
    // The bookmarked folder, or none when it is gone or stale.
    static std::optional<QString> urlForBookmark(const QByteArray &bookmark);
    // Stores a grant for the folder, replacing at most one stored grant inside it; none when
    // the folder is stored already or no bookmark can be made.
    static std::optional<QByteArray> saveBookMarkURL(const QString &folder);
    // The stored grant that covers the path, else (when asked) a new grant for the path itself.
    static std::optional<QString> getBookMarkURL(const QString &path, bool isCreate = true);
};
